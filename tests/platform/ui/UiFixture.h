#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "DemoControls.h"
#include "platform/backend/headless/Headless.h"

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = &InstallHeadlessBackend(); }
  void TearDown() override {
    for (const auto& text : backend->UnexpectedDialogs)
      ADD_FAILURE() << "unexpected dialog: " << cp1253::ToUtf8(text);
    form.reset();
  }
  // A shown demo form.
  TDemoForm& ShowDemo() {
    form.reset(NewForm<TDemoForm>(nullptr));
    form->Show();
    Application->ProcessMessages();
    return *form;
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TDemoForm> form;
};
