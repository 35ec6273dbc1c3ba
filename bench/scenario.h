// What each benchmark does, shared by the component's side and its floor so
// that both hold the same conversation with the same host.
//
// The panel is started with an empty creation text. Name set 1 is shown on the
// editor panel and name set 3 is the live set; the operator renames source 17
// by typing eight characters, one key at a time.
#pragma once

namespace scenario {

constexpr int renamedSource = 17;
constexpr int editedNameSet = 1;
constexpr int liveNameSet = 3;
constexpr int keys = 8;
constexpr const char* typedName = "CAMERA 2";
// What the keyboard control answers after each key; the last answer stands
// for "return" and "Update" too.
inline constexpr const char* keyboardAfterKey[keys] = {
    "text=C", "text=CA", "text=CAM", "text=CAME", "text=CAMER", "text=CAMERA", "text=CAMERA ", "text=CAMERA 2"};

// The live set's title as the names driver reports it renamed.
constexpr const char* renamedTitle = "Studio 3 feeds";

// The parent's parameter, then the query whose answer is benchmarked.
constexpr const char* parentSetting = "myParam=abc";
constexpr const char* myParam = "abc";
constexpr const char* parentQuery = "return=all";

// Brightness levels the tally infodriver reports in turn.
constexpr const char* brightnessLevels[2] = {"2", "3"};

}  // namespace scenario
