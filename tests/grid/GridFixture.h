#pragma once
// A shown form with one grid on it, on the headless backend.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/backend/headless/Headless.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

// The message of the E that Call raises; empty when it raises nothing.
template <typename E, typename F>
std::string ErrorOf(F&& call) {
  try {
    call();
  } catch (const E& e) {
    return e.what();
  }
  return {};
}

class GridFormTest : public ::testing::Test {
 protected:
  void SetUp() override { backend = &InstallHeadlessBackend(); }
  void TearDown() override { form.reset(); }
  // Grid G on a shown form, of the given shape.
  template <typename G>
  G& MakeGrid(int cols, int rows, int width = 400, int height = 240) {
    form.reset(NewForm<TForm>(nullptr));
    form->SetBounds(50, 50, width + 40, height + 60);
    auto* grid = new G(form.get());
    grid->SetBounds(10, 10, width, height);
    grid->SetParent(form.get());
    grid->SetColCount(cols);
    grid->SetRowCount(rows);
    form->Show();
    Application->ProcessMessages();
    return *grid;
  }
  THeadlessBackend* backend = nullptr;
  std::unique_ptr<TForm> form;
};
