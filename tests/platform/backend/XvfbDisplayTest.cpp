// The tests' own display keeps what its clients leave on it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "XvfbDisplay.h"

namespace {

std::string Output(const std::string& command) {
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    std::array<char, 256> chunk;
    while (fgets(chunk.data(), chunk.size(), pipe)) out += chunk.data();
    pclose(pipe);
  }
  return out;
}

// One client after another, as a test runs its tools: the server must not
// start over between them (its windows and properties gone, and a client
// that connects meanwhile refused or cut off).
TEST(XvfbDisplay, WhatALeavingClientSetStaysForTheNext) {
  ASSERT_TRUE(XvfbDisplay::Installed()) << "Xvfb is missing: install the Debian package xvfb";
  ASSERT_TRUE(ProgramInstalled("xprop")) << "xprop is missing: install the Debian package x11-utils";
  XvfbDisplay display;
  ASSERT_FALSE(display.Display().empty());
  for (int round = 0; round < 3; ++round) {
    const std::string value = "kept" + std::to_string(round);
    ASSERT_TRUE(RunDisplayTool({"xprop", "-display", display.Display(), "-root", "-f", "DIM_TEST", "8s",
                                "-set", "DIM_TEST", value}));
    EXPECT_EQ(Output("xprop -display " + display.Display() + " -root DIM_TEST 2>&1"),
              "DIM_TEST(STRING) = \"" + value + "\"\n");
  }
}

}  // namespace
