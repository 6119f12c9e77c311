#include "toolkit/core/control_factory.h"

#include <cwchar>

#include "toolkit/core/carea.h"

namespace Zelvo {

namespace {

using P = ControlPattern;

// Window factory's order first (both levels), then the window-only and container-only names.
constexpr ControlClassEntry kEntries[] = {
    {L"CArea", P::V1, true, true, false},
    {L"MText", P::T, true, true, false},
    {L"MPicture", P::VE, true, true, false},
    {L"CPhotoFrame", P::VE, true, true, false},
    {L"CSliderPicture", P::VE, true, true, false},
    {L"CGifPicture", P::VE, true, true, false},
    {L"MProgress", P::VE, true, true, false},
    {L"MSlider", P::VE, true, true, false},
    {L"MLevelCtrl", P::VE, true, true, false},
    {L"MButton", P::TVE, true, true, false},
    {L"CImageButton", P::TVE, true, true, false},
    {L"CTextButton", P::TVE, true, true, false},
    {L"CCheckButton", P::TVE, true, true, false},
    {L"CRadioButton", P::TVE, true, true, false},
    {L"CColorButton", P::VE, true, true, false},
    {L"MSpinButton", P::VE, true, true, false},
    {L"CSpinButton", P::VE, true, true, true},
    {L"CSwitchButton", P::VE, true, true, false},
    {L"CIconButton", P::TVE, true, true, false},
    {L"CTimerButton", P::TVE, true, true, false},
    {L"CHelpButton", P::TVE, true, true, false},
    {L"MEdit", P::TVE, true, true, false},
    {L"MRichEdit", P::TVE, true, true, true},
    {L"MEditEx", P::TVE, true, true, true},
    {L"MComboBox", P::VE, true, true, false},
    {L"MTabCtrl", P::VE, true, true, false},
    {L"MTabLayout", P::V, true, true, false},
    {L"MListBox", P::V, true, true, false},
    {L"MPalette", P::V, true, true, false},
    {L"CColorPalette", P::V, true, true, false},
    {L"CColorSelect", P::V, true, true, false},
    {L"CirclePalette", P::V1, true, true, false},
    {L"MenuItem", P::TV1, true, true, false},
    {L"KeyboardCtrl", P::V, true, true, false},
    {L"CDeviceCtrl", P::V1, true, true, false},
    {L"CFanDevCtrl", P::V1, true, true, false},
    {L"MButton2", P::TV1, true, true, false},
    {L"CImageButton2", P::TV1, true, true, false},
    {L"CTabCtrl2", P::V1, true, true, false},
    {L"CTabCtrlEx", P::V1, true, true, false},
    {L"CTabCtrl5", P::V1, true, true, false},
    {L"CHomeFuncCtrl", P::V1, true, true, false},
    {L"CComboBoxList", P::V1, true, false, false},
    {L"KeyFuncControl", P::V, false, true, false},
    {L"DListBox", P::V, false, true, false},
    {L"CRecordList", P::V, false, true, false},
    {L"UpgradeButton", P::TV1, false, true, false},
    {L"DownloadButton", P::TV1, false, true, false},
    {L"DPIControl", P::V, false, true, false},
    {L"MouseKeyCtrl", P::V, false, true, false},
    {L"MouseCtrl", P::V, false, true, false},
    {L"MouseLight", P::V, false, true, false},
    {L"ArchivedCtrl", P::V1, false, true, false},
    {L"LightCtrl", P::V1, false, true, false},
    {L"DevChannelCtrl", P::V1, false, true, false},
    {L"ThemeColor", P::V1, false, true, false},
    {L"MButton3", P::T11, false, true, false},
    {L"CColorButton2", P::V1, false, true, false},
    {L"MPaletteBar", P::V, false, true, false},
    {L"RGBColorEdit", P::TV1, false, true, false},
    {L"HexColorEdit", P::TV1, false, true, false},
    {L"CColorButton3", P::V1, false, true, false},
    {L"LightLayer", P::V1, false, true, false},
    {L"DevSelectCtrl", P::V1, false, true, false},
    {L"FanCountCtrl", P::V1, false, true, false},
    {L"LEDModeList", P::V1, false, true, false},
    {L"TabCtrl6", P::V1, false, true, false},
    {L"ClockCtrl", P::V1, false, true, false},
    {L"UsageRateCtrl", P::V1, false, true, false},
    {L"MSlider2", P::V1, false, true, false},
    {L"CaptureCtrl", P::V1, false, true, false},
    {L"ClockTypeCtrl", P::V1, false, true, false},
    {L"CHardwareInfoBkg", P::V1, false, true, false},
    {L"CHardwareInfo", P::V1, false, true, false},
    {L"SysInfoCtrl", P::V1, false, true, false},
    {L"LEDModeCtrl", P::V1, false, true, false},
    {L"LEDImageCtrl", P::V1, false, true, false},
    {L"CRadioButton2", P::TV1, false, true, false},
    {L"SysInfo2Ctrl", P::V1, false, true, false},
};

MControl* CreateCArea(MObject* owner, UINT id, CRect rect, const ControlArgs& args) {
  return new CArea(owner, id, rect, args.visible, args.enabled);
}

struct BuiltClass {
  const wchar_t* name;
  ControlCreator create;
};

// The classes that exist today; a class joins the factories by adding its line here.
constexpr BuiltClass kBuiltClasses[] = {
    {L"CArea", &CreateCArea},
};

bool Accepts(const ControlClassEntry& entry, FactoryLevel level) {
  return level == FactoryLevel::Window ? entry.window : entry.container;
}

}  // namespace

std::vector<const ControlClassEntry*> FactoryEntries(FactoryLevel level) {
  std::vector<const ControlClassEntry*> result;
  for (const ControlClassEntry& entry : kEntries) {
    if (Accepts(entry, level)) result.push_back(&entry);
  }
  return result;
}

const ControlClassEntry* FindFactoryEntry(const wchar_t* className, FactoryLevel level) {
  if (className == nullptr || className[0] == L'\0') return nullptr;
  for (const ControlClassEntry& entry : kEntries) {
    if (Accepts(entry, level) && std::wcscmp(entry.name, className) == 0) return &entry;
  }
  return nullptr;
}

ControlArgs ResolveControlArgs(const ControlClassEntry& entry, const wchar_t* title, int p1, int p2) {
  ControlArgs args;
  args.mouseResponse = TRUE;
  switch (entry.pattern) {
    case P::T:
      args.title = title;
      args.visible = p1;
      args.enabled = FALSE;
      break;
    case P::VE:
      args.visible = p1;
      args.enabled = p2;
      break;
    case P::TVE:
      args.title = title;
      args.visible = p1;
      args.enabled = p2;
      break;
    case P::V:
    case P::V1:
      args.visible = p1;
      args.enabled = TRUE;
      break;
    case P::TV1:
      args.title = title;
      args.visible = p1;
      args.enabled = TRUE;
      break;
    case P::T11:
      args.title = title;
      args.visible = TRUE;
      args.enabled = TRUE;
      break;
  }
  if (entry.startsEnabled) args.enabled = TRUE;
  return args;
}

MControl* ConstructControl(FactoryLevel level, MObject* owner, const wchar_t* className, UINT id, CRect rect,
                           const wchar_t* title, int p1, int p2) {
  const ControlClassEntry* entry = FindFactoryEntry(className, level);
  if (entry == nullptr) return nullptr;
  for (const BuiltClass& built : kBuiltClasses) {
    if (std::wcscmp(built.name, entry->name) == 0) {
      return built.create(owner, id, rect, ResolveControlArgs(*entry, title, p1, p2));
    }
  }
  return nullptr;
}

}  // namespace Zelvo
