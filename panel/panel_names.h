// The exact texts the name-display panel shares with the host's panel
// definitions and devices: panel ids and files, control names, looks, device
// instances, slots, databases and timers. Every handler uses these names; none
// spells a control or a look itself. The texts are case-sensitive.
//
// Owns nothing: compile-time constants only.
#pragma once

#include "hostlib/vrel_string.h"

namespace panel_names {

// Panel ids, and the files loaded into them.
inline constexpr char selectorPanel[] = "1";
inline constexpr char editorPanel[] = "2";
inline constexpr char selectorFile[] = "Selector.vrel_ui";
inline constexpr char editorFile[] = "NameEdit.vrel_ui";

// Selector panel ("1"). Numbered controls end in the number they stand for.
inline constexpr char selectPrefix[] = "Select_";
inline constexpr char brightnessPrefix[] = "UMDBright_";
inline constexpr char confirm[] = "Confirm";
inline constexpr char nameEditor[] = "Name_Editor";
inline constexpr char titlePrefix[] = "Names_";
inline constexpr char current[] = "Current";

// Editor panel ("2").
inline constexpr char sourceGroup[] = "SrcGroup";
inline constexpr char sourceList[] = "SrcName";
inline constexpr char keyboard[] = "KB_1";
inline constexpr char cancel[] = "Cancel";
inline constexpr char update[] = "Update";
inline constexpr char nameSetPrefix[] = "NameSet_";
inline constexpr char nameSetTitle[] = "NamesetName";
inline constexpr char backToSelector[] = "Nameset_Select";
// The information fields shown only while a source name is edited, in the
// order they are shown and hidden.
inline constexpr const char* editFields[] = {"L1", "L2", "L3", "L4", "Nameset_id", "LongName", "PreEdit", "PostEdit"};
inline constexpr char nameSetId[] = "Nameset_id";
inline constexpr char longName[] = "LongName";
inline constexpr char preEdit[] = "PreEdit";
inline constexpr char postEdit[] = "PostEdit";

// Keyboard sub-part that takes the typed text.
inline constexpr char returnKey[] = "return";

// Control properties and the values the panel writes to them.
inline constexpr char text[] = "text";
inline constexpr char statesheet[] = "statesheet";
inline constexpr char page[] = "page";
inline constexpr char emptyText[] = "text=";
inline constexpr char noSourceChosen[] = "index=0";
inline constexpr char firstSourcePage[] = "button.001=released";

// Looks (state sheets of the panel definitions).
inline constexpr char selected[] = "KRSourceSelected";
inline constexpr char deselected[] = "KRSourceDeselected";
inline constexpr char takeLow[] = "KR_TakeLow";
inline constexpr char takeHigh[] = "KR_TakeHigh";

// Devices and their slots and databases.
inline constexpr char routerInstance[] = "StC SDI Router";
inline constexpr char tallyInstance[] = "CTA Tally Infodriver";
inline constexpr char namesInstance[] = "StC_UMD_Names_DriverID";
// The site setting that names the name driver's device. It says "StA" where
// the instance name says "StC"; both are the names the site uses.
inline constexpr char namesDeviceSetting[] = "velmorcast.StA_UMD_Names_DriverID";
inline constexpr char settingValue[] = "value";
inline constexpr int brightnessSlot = 211;
inline constexpr int liveNameSetSlot = 212;
inline constexpr int routerLongNames = 0;
inline constexpr int routerShortNames = 2;
inline constexpr int titleDatabase = 9;
inline constexpr int nameSetCount = 8;
inline constexpr int sourceCount = 128;
inline constexpr char matrixShortNames[] = "Matrix Short Names";  // the title of name set 0

// Timers: the confirmation window of a chosen name set, and the flashing of
// "Cancel" and "Update" that ends an unconfirmed edit. Both last ten seconds.
inline constexpr int confirmTimer = 1;
inline constexpr int confirmInterval = 1000;
inline constexpr int confirmTicks = 10;
inline constexpr int flashTimer = 2;
inline constexpr int flashInterval = 500;
inline constexpr int flashTicks = 20;

// Longest text the keyboard may hold.
inline constexpr int maxNameLength = 8;
inline constexpr int maxTitleLength = 16;

// The decimal text of a number, as the commands that take text need it.
inline vrel_string decimal(int number) { return vrel_string(number, 0, 0, 10); }

// A control name followed by a number in plain decimal ("Names_" and 3 give "Names_3").
inline vrel_string numbered(const char* prefix, int number) { return vrel_string(prefix) + decimal(number); }

}  // namespace panel_names
