// What a build whose firmware images are the generated placeholders says about itself: in the version
// resource's comments and first on the "-d" console. Plain preprocessor text, so the resource script and the
// program share it.
#pragma once

#define FWU_PLACEHOLDER_NOTICE \
  "Test build with placeholder firmware images, not the maker's: never update a scanner with it."
