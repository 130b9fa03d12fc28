// The seam: every platform operation the core performs goes through one of these interfaces.
// The Win32 host forwards each call one to one; the simulated host models what the core relies on.
#pragma once
#include "platform/codepage.h"
#include "platform/console.h"
#include "platform/files.h"
#include "platform/kernel.h"
#include "platform/language.h"
#include "platform/process.h"
#include "platform/power.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/services.h"
#include "platform/setup.h"
#include "platform/sockets.h"
#include "platform/time.h"
#include "platform/user.h"
#include "platform/window.h"

namespace plat {

struct Host {
  ITime& time;
  IKernel& kernel;
  IProcess& process;
  IProfile& profile;
  IConsole& console;
  ILanguage& language;
  IResources& resources;
  IUser& user;
  IWindows& windows;
  ICodePage& codePage;
  ISetup& setup;
  IRegistry& registry;
  IServices& services;
  IFiles& files;
  ISockets& sockets;
  IPower& power;
};

}  // namespace plat
