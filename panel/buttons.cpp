// The operator's buttons on both panels. onButton finds the first route whose
// panel and control name match and runs its action; anything else is ignored.
// The enabled and disabled states the actions give the controls keep the
// events in order: a disabled control sends nothing.
#include <cctype>

#include "Kelvane.h"
#include "panel_names.h"

using namespace panel_names;

namespace {

enum class Match { exact, prefix };

bool matches(const vrel_string& id, Match match, const char* name) {
    return match == Match::exact ? id == name : id.startsWith(name);
}

// Numbered controls carry their number in the last character of their name.
bool endsInDigit(const vrel_string& id) {
    return id.length() > 0 && std::isdigit(static_cast<unsigned char>(id.c_str()[id.length() - 1]));
}

vrel_string lastCharacter(const vrel_string& id) { return id.right(1); }

}  // namespace

void Kelvane::onButton(button_notify* button) {
    struct Route {
        const char* panel;
        Match match;
        const char* control;
        void (Kelvane::*action)(const button_notify&);
    };
    // Tested in this order; the first match decides. "Nameset_Select" and
    // "NamesetName" differ in case from the "NameSet_" prefix, so they never
    // reach showNameSet.
    static const Route routes[] = {
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
    const vrel_string panel = button->panel();
    const vrel_string id = button->id();
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
        setControlProperty(statesheet, deselected, selectorPanel, numbered(selectPrefix, pendingNameSet));
    setControlProperty(statesheet, selected, selectorPanel, id);
    pendingNameSet = lastCharacter(id).toInt();
    selectionPending = true;
    confirmCountdown = confirmTicks;
    startTimer(confirmTimer, confirmInterval);  // also while pending: the window starts again
    enableControl(selectorPanel, confirm);
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
    setControlProperty(statesheet, deselected, selectorPanel, numbered(selectPrefix, pendingNameSet));
    disableControl(selectorPanel, confirm);
    // "Current" follows when the infodriver reports the slot back.
    writeInfodriver(tallyDevice, decimal(pendingNameSet), liveNameSetSlot);
}

void Kelvane::openEditor(const button_notify&) {
    // A pending choice stays pending: timer 1 keeps running behind the editor.
    removePanel(selectorPanel);
    showPanel(editorPanel, editorFile);
}

void Kelvane::pageSourceList(const button_notify& button) {
    setControlProperty(page, button.value(), editorPanel, sourceList);
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
    setControlProperty(text, decimal(currentNameSet), editorPanel, nameSetId);
    setControlProperty(text, routerDb0Names[editIndex], editorPanel, longName);
    setControlProperty(text, editText, editorPanel, preEdit);
    setControlProperty(text, vrel_string(), editorPanel, postEdit);
    setControlProperty(text, editText, editorPanel, keyboard);
    enableControl(editorPanel, keyboard);
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
    getControlText(text, editorPanel, keyboard, editText);
    setControlProperty(text, editText, editorPanel, postEdit);
    disableControl(editorPanel, keyboard);
    enableControl(editorPanel, cancel);
    enableControl(editorPanel, update);
    setControlProperty(statesheet, takeLow, editorPanel, cancel);
    setControlProperty(statesheet, takeHigh, editorPanel, update);
    flashCount = flashTicks;
    startTimer(flashTimer, flashInterval);
}

// Applied after every key, so the keyboard never shows more than fits.
void Kelvane::limitTypedText() {
    getControlText(text, editorPanel, keyboard, editText);
    if (editText.length() <= static_cast<unsigned>(maxEditLength)) return;
    editText.truncate(static_cast<unsigned>(maxEditLength));
    setControlProperty(text, editText, editorPanel, keyboard);
}

void Kelvane::cancelEdit(const button_notify&) { endEdit(); }

void Kelvane::writeEdit(const button_notify&) {
    // Only an open edit is written: a late "Update" must not rename an entry
    // with whatever the keyboard holds.
    if (!editing) return;
    stopTimer(flashTimer);
    disableControl(editorPanel, cancel);
    disableControl(editorPanel, update);
    getControlText(text, editorPanel, keyboard, editText);
    setControlText(emptyText, editorPanel, keyboard);
    if (editingTitle) {
        // The stored title and panel "1" follow when the driver reports the rename.
        setControlProperty(text, editText, editorPanel, nameSetTitle);
        editing = false;
        modifyDatabase(namesDevice, titleDatabase, currentNameSet, editText);
    } else {
        currentNames[editIndex] = editText;
        modifyDatabase(namesDevice, currentNameSet, editIndex, editText);
        hideEditFields();
        setControlText(noSourceChosen, editorPanel, sourceList);
        editing = false;
    }
    // Unlike endEdit, the title comes before the name-set buttons here.
    enableControl(editorPanel, sourceGroup);
    enableControl(editorPanel, sourceList);
    enableControl(editorPanel, backToSelector);
    enableControl(editorPanel, nameSetTitle);
    for (int k = 1; k <= nameSetCount; ++k) enableControl(editorPanel, numbered(nameSetPrefix, k));
}

void Kelvane::showNameSet(const button_notify& button) {
    const int nameSet = lastCharacter(button.id()).toInt();
    if (nameSet < 1 || nameSet > nameSetCount) return;  // no such table
    setControlProperty(statesheet, deselected, editorPanel, numbered(nameSetPrefix, currentNameSet));
    currentNameSet = nameSet;
    setControlProperty(statesheet, selected, editorPanel, button.id());
    setControlProperty(text, nameSetTitles[currentNameSet], editorPanel, nameSetTitle);
    selectCurrentNames();
}

void Kelvane::beginTitleEdit(const button_notify&) {
    editingTitle = true;
    editing = true;
    flashCount = 0;  // as for a name: stale flash ticks must not end this edit
    lockSelectors();
    maxEditLength = maxTitleLength;
    // The edit fields stay hidden; editText is taken when "return" comes.
    setControlProperty(text, nameSetTitles[currentNameSet], editorPanel, keyboard);
    enableControl(editorPanel, keyboard);
}

void Kelvane::returnToSelector(const button_notify&) {
    removePanel(editorPanel);
    showPanel(selectorPanel, selectorFile);
}
