// A program whose configuration file the test writes, then reads as the
// program does at start-up.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>

#include "app/config.h"
#include "support/test_program.h"

namespace quilbert::app {

class ConfigFixture : public ::testing::Test {
 protected:
  // Folders set as Form_Load sets them, then the file read.
  void read() {
    p.g->places.SettingsDir = p.settingsDir.string() + "/";
    p.g->places.ConfigFileName = "claire.ini";
    p.g->config.read(p.g->places.configPath());
  }
  const DriveEntry& entry(char letter) {
    return p.g->config.DriveTable[static_cast<std::size_t>(letter - 'A' + 1)];
  }
  testing::TestProgram p;
};

}  // namespace quilbert::app
