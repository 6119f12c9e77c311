// The class-name table shared by the window-level and the container-level factory: which
// names each accepts, the constructor argument pattern of each, and how to build the classes
// that exist. Names of classes not built give null, like unknown names.
#pragma once

#include <vector>

#include "platform/base/geometry.h"
#include "platform/base/win_types.h"

namespace Zelvo {

class MControl;
class MObject;

// Constructor argument patterns after (owner, id, rect).
enum class ControlPattern {
  T,    // title, p1 visible; starts disabled
  VE,   // p1 visible, p2 enabled
  TVE,  // title, p1 visible, p2 enabled
  V,    // p1 visible; enabled TRUE
  V1,   // p1 visible, TRUE enabled
  TV1,  // title, p1 visible, TRUE enabled
  T11,  // title, TRUE visible, TRUE enabled; p1 and p2 ignored
};

// The constructor arguments a pattern makes of (title, p1, p2).
struct ControlArgs {
  const wchar_t* title = nullptr;
  BOOL visible = TRUE;
  BOOL enabled = TRUE;
  BOOL mouseResponse = TRUE;
};

using ControlCreator = MControl* (*)(MObject* owner, UINT id, CRect rect, const ControlArgs& args);

enum class FactoryLevel { Window, Container };

struct ControlClassEntry {
  const wchar_t* name;
  ControlPattern pattern;
  bool window;  // accepted by the window-level factory
  bool container;  // accepted by the container-level factory
  bool startsEnabled;  // the rich-edit classes ignore p2 and start enabled
};

// The accepted names of one level, in the window factory's order.
std::vector<const ControlClassEntry*> FactoryEntries(FactoryLevel level);
// The entry of an exact, case-sensitive name at that level; null when the level does not accept it.
const ControlClassEntry* FindFactoryEntry(const wchar_t* className, FactoryLevel level);
ControlArgs ResolveControlArgs(const ControlClassEntry& entry, const wchar_t* title, int p1, int p2);
// Builds the named class when the level accepts it and the class exists; null otherwise.
// The new control has no manager and is in no list yet.
MControl* ConstructControl(FactoryLevel level, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                           const wchar_t* title, int p1, int p2);

}  // namespace Zelvo
