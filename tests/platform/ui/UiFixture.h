#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "DemoControls.h"
#include "platform/backend/headless/Headless.h"

// The component of class C that Owner holds under Name: nullptr when none
// (Named), or the test stops with an error (Found).
template <typename C>
C* Named(TComponent& owner, const char* name) {
  return dynamic_cast<C*>(owner.FindComponent(name));
}
template <typename C>
C& Found(TComponent& owner, const char* name) {
  if (C* c = Named<C>(owner, name)) return *c;
  throw Exception(AnsiString("no control ") + name);
}

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
