// The operator's buttons on both panels. onButton finds the first route whose
// panel and control name match and runs its action; anything else is ignored.
// The enabled and disabled states the actions give the controls keep the
// events in order: a disabled control sends nothing.
#include <cctype>
#include <string_view>

#include "Kelvane.h"
#include "panel_names.h"
#include "prepared_texts.h"

using namespace panel_names;
using namespace prepared;

namespace {

enum class Match { exact, prefix };

bool matches(std::string_view id, Match match, std::string_view name) {
    return match == Match::exact ? id == name : id.substr(0, name.size()) == name;
}

// A text of the host's record, read in place; a missing one reads as "".
std::string_view inPlace(const char* text) { return text ? text : ""; }

// Numbered controls carry their number in the last character of their name.
bool endsInDigit(const vrel_string& id) {
    return id.length() > 0 && std::isdigit(static_cast<unsigned char>(id.c_str()[id.length() - 1]));
}

vrel_string lastCharacter(const vrel_string& id) { return id.right(1); }

}  // namespace

void Kelvane::onButton(button_notify* button) {
    struct Route {
        std::string_view panel;
        Match match;
        std::string_view control;
        void (Kelvane::*action)(const button_notify&);
    };
    // Tested in this order; the first match decides. "Nameset_Select" and
    // "NamesetName" differ in case from the "NameSet_" prefix, so they never
    // reach showNameSet.
    static constexpr Route routes[] = {
        {selectorPanel, Match::prefix, selectPrefix, &Kelvane::chooseNameSet},
        {selectorPanel, Match::prefix, brightnessPrefix, &Kelvane::setBrightness},
        {selectorPanel, Match::exact, confirm, &Kelvane::confirmChoice},
        {selectorPanel, Match::exact, nameEditor, &Kelvane::openEditor},
        {editorPanel, Match::exact, sourceGroup, &Kelvane::pageSourceList},
        {editorPanel, Match::exact, sourceList, &Kelvane::beginNameEdit},
        {editorPanel, Match::exact, keyboard, &Kelvane::keyboardKey},
        {editorPanel, Match::exact, cancel, &Kelvane::cancelEdit},
        {editorPanel, Match::exact, update, &Kelvane::writeEdit},
        {editorPanel, Match::prefix, nameSetPrefix, &Kelvane::showNameSet},
        {editorPanel, Match::exact, nameSetTitle, &Kelvane::beginTitleEdit},
        {editorPanel, Match::exact, backToSelector, &Kelvane::returnToSelector},
    };
    // Matched in place: no copy of the names for every press.
    const std::string_view panel = inPlace(button->record->panel);
    const std::string_view id = inPlace(button->record->id);
    for (const Route& route : routes) {
        if (panel == route.panel && matches(id, route.match, route.control)) {
            (this->*route.action)(*button);
            return;
        }
    }
}

void Kelvane::chooseNameSet(const button_notify& button) {
    const vrel_string id = button.id();
    // A name without a number would read as set 0 and could be confirmed as such.
    if (!endsInDigit(id)) return;
    if (selectionPending)
        setControlProperty(str<statesheet>(), str<deselected>(), str<selectorPanel>(),
                           numberedName<selectPrefix>(pendingNameSet));
    setControlProperty(str<statesheet>(), str<selected>(), str<selectorPanel>(), id);
    pendingNameSet = lastCharacter(id).toInt();
    selectionPending = true;
    confirmCountdown = confirmTicks;
    startTimer(confirmTimer, confirmInterval);  // also while pending: the window starts again
    enableControl(str<selectorPanel>(), str<confirm>());
}

void Kelvane::setBrightness(const button_notify& button) {
    const vrel_string id = button.id();
    if (!endsInDigit(id)) return;  // never write a non-number into the brightness slot
    // The highlight follows when the infodriver reports the slot back.
    writeInfodriver(tallyDevice, lastCharacter(id), brightnessSlot);
}

void Kelvane::confirmChoice(const button_notify&) {
    stopTimer(confirmTimer);
    selectionPending = false;
    setControlProperty(str<statesheet>(), str<deselected>(), str<selectorPanel>(),
                       numberedName<selectPrefix>(pendingNameSet));
    disableControl(str<selectorPanel>(), str<confirm>());
    // "Current" follows when the infodriver reports the slot back.
    writeInfodriver(tallyDevice, decimal(pendingNameSet), liveNameSetSlot);
}

void Kelvane::openEditor(const button_notify&) {
    // A pending choice stays pending: timer 1 keeps running behind the editor.
    removePanel(str<selectorPanel>());
    showPanel(str<editorPanel>(), str<editorFile>());
}

void Kelvane::pageSourceList(const button_notify& button) {
    setControlProperty(str<page>(), button.value(), str<editorPanel>(), str<sourceList>());
}

void Kelvane::beginNameEdit(const button_notify& button) {
    const int source = button.value().toInt();
    // Negative values mean "nothing picked"; above 128 there is no entry to edit.
    if (source < 0 || source > sourceCount) return;
    lockSelectors();
    editingTitle = false;
    editing = true;
    editIndex = source;
    maxEditLength = maxNameLength;
    // Ticks of an earlier flash that the host still delivers must not end this edit.
    flashCount = 0;
    editText = currentNames[editIndex];
    showEditFields();
    setControlProperty(str<text>(), decimal(currentNameSet), str<editorPanel>(), str<nameSetId>());
    setControlProperty(str<text>(), routerDb0Names[editIndex], str<editorPanel>(), str<longName>());
    setControlProperty(str<text>(), editText, str<editorPanel>(), str<preEdit>());
    setControlProperty(str<text>(), vrel_string(), str<editorPanel>(), str<postEdit>());
    setControlProperty(str<text>(), editText, str<editorPanel>(), str<keyboard>());
    enableControl(str<editorPanel>(), str<keyboard>());
}

void Kelvane::keyboardKey(const button_notify& button) {
    // A key that arrives after the edit ended would otherwise reopen the
    // confirmation of an edit that no longer exists.
    if (!editing) return;
    if (button.subCount() != 1) return;
    if (button.sub() == returnKey)
        takeTypedText();
    else
        limitTypedText();
}

void Kelvane::takeTypedText() {
    getControlText(str<text>(), str<editorPanel>(), str<keyboard>(), editText);
    setControlProperty(str<text>(), editText, str<editorPanel>(), str<postEdit>());
    disableControl(str<editorPanel>(), str<keyboard>());
    enableControl(str<editorPanel>(), str<cancel>());
    enableControl(str<editorPanel>(), str<update>());
    setControlProperty(str<statesheet>(), str<takeLow>(), str<editorPanel>(), str<cancel>());
    setControlProperty(str<statesheet>(), str<takeHigh>(), str<editorPanel>(), str<update>());
    flashCount = flashTicks;
    startTimer(flashTimer, flashInterval);
}

// Applied after every key, so the keyboard never shows more than fits.
void Kelvane::limitTypedText() {
    getControlText(str<text>(), str<editorPanel>(), str<keyboard>(), editText);
    if (editText.length() <= static_cast<unsigned>(maxEditLength)) return;
    editText.truncate(static_cast<unsigned>(maxEditLength));
    setControlProperty(str<text>(), editText, str<editorPanel>(), str<keyboard>());
}

void Kelvane::cancelEdit(const button_notify&) { endEdit(); }

void Kelvane::writeEdit(const button_notify&) {
    // Only an open edit is written: a late "Update" must not rename an entry
    // with whatever the keyboard holds.
    if (!editing) return;
    stopTimer(flashTimer);
    disableControl(str<editorPanel>(), str<cancel>());
    disableControl(str<editorPanel>(), str<update>());
    getControlText(str<text>(), str<editorPanel>(), str<keyboard>(), editText);
    setControlText(str<emptyText>(), str<editorPanel>(), str<keyboard>());
    if (editingTitle) {
        // The stored title and panel "1" follow when the driver reports the rename.
        setControlProperty(str<text>(), editText, str<editorPanel>(), str<nameSetTitle>());
        editing = false;
        modifyDatabase(namesDevice, titleDatabase, currentNameSet, editText);
    } else {
        currentNames[editIndex] = editText;
        modifyDatabase(namesDevice, currentNameSet, editIndex, editText);
        hideEditFields();
        setControlText(str<noSourceChosen>(), str<editorPanel>(), str<sourceList>());
        editing = false;
    }
    // Unlike endEdit, the title comes before the name-set buttons here.
    unlockSelectors(TitlePlace::beforeNameSets);
}

void Kelvane::showNameSet(const button_notify& button) {
    const int nameSet = lastCharacter(button.id()).toInt();
    if (nameSet < 1 || nameSet > nameSetCount) return;  // no such table
    setControlProperty(str<statesheet>(), str<deselected>(), str<editorPanel>(),
                       numberedName<nameSetPrefix>(currentNameSet));
    currentNameSet = nameSet;
    setControlProperty(str<statesheet>(), str<selected>(), str<editorPanel>(), button.id());
    setControlProperty(str<text>(), nameSetTitles[currentNameSet], str<editorPanel>(), str<nameSetTitle>());
    selectCurrentNames();
}

void Kelvane::beginTitleEdit(const button_notify&) {
    editingTitle = true;
    editing = true;
    flashCount = 0;  // as for a name: stale flash ticks must not end this edit
    lockSelectors();
    maxEditLength = maxTitleLength;
    // The edit fields stay hidden; editText is taken when "return" comes.
    setControlProperty(str<text>(), nameSetTitles[currentNameSet], str<editorPanel>(), str<keyboard>());
    enableControl(str<editorPanel>(), str<keyboard>());
}

void Kelvane::returnToSelector(const button_notify&) {
    removePanel(str<editorPanel>());
    showPanel(str<selectorPanel>(), str<selectorFile>());
}
