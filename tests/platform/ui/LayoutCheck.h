#pragma once

#include <string>
#include <vector>

#include "platform/ui/Controls.h"

// What a user would see wrong in a window's layout: a shown control that
// runs out of its parent's client area (cut), or two shown siblings that
// cover each other (one hides the other's text or clicks). One line per
// fault, naming the controls; empty when the window is clean.
inline std::vector<std::string> LayoutFaults(const TWinControl& parent) {
  std::vector<std::string> faults;
  auto name = [](const TControl& c) {
    std::string n = c.Name().empty() ? std::string("(unnamed)") : std::string(c.Name());
    return n + " \"" + cp1253::ToUtf8(c.Caption()) + "\"";
  };
  const TRect client = parent.ClientRect();
  std::vector<const TControl*> shown;
  for (int i = 0; i < parent.ControlCount(); ++i)
    if (const TControl* c = parent.Controls(i); c->Visible()) shown.push_back(c);
  for (size_t i = 0; i < shown.size(); ++i) {
    const TRect r = shown[i]->BoundsRect();
    if (r.Left < client.Left || r.Top < client.Top || r.Right > client.Right || r.Bottom > client.Bottom)
      faults.push_back(name(*shown[i]) + " runs out of " + name(parent));
    for (size_t j = i + 1; j < shown.size(); ++j) {
      const TRect o = shown[j]->BoundsRect();
      if (r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom && o.Top < r.Bottom)
        faults.push_back(name(*shown[i]) + " overlaps " + name(*shown[j]));
    }
    if (const auto* w = dynamic_cast<const TWinControl*>(shown[i])) {
      const auto inner = LayoutFaults(*w);
      faults.insert(faults.end(), inner.begin(), inner.end());
    }
  }
  return faults;
}
