#pragma once
#include "platform/language.h"
#include "simhost/process_state.h"

namespace simhost {

class Language final : public plat::ILanguage {
 public:
  explicit Language(ProcessState& state) : state_(state) {}
  LANGID SetThreadUILanguage(LANGID language) override {
    state_.CurrentThread().uiLanguage = language;
    return language;
  }
  LANGID GetThreadUILanguage() override {
    const LANGID chosen = state_.CurrentThread().uiLanguage;
    return chosen != 0 ? chosen : state_.world.systemUiLanguage;
  }

 private:
  ProcessState& state_;
};

}  // namespace simhost
