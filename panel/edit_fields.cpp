// Operations the button and timer handlers share: locking the editor's
// selectors, following the current name set, and opening and closing the
// fields of an edit.
#include "Kelvane.h"
#include "panel_names.h"

using namespace panel_names;

void Kelvane::lockSelectors() {
    disableControl(editorPanel, sourceGroup);
    disableControl(editorPanel, sourceList);
    disableControl(editorPanel, backToSelector);
    for (int k = 1; k <= nameSetCount; ++k) disableControl(editorPanel, numbered(nameSetPrefix, k));
    disableControl(editorPanel, nameSetTitle);
}

void Kelvane::selectCurrentNames() {
    if (currentNameSet >= 1 && currentNameSet <= nameSetCount) currentNames = nameSetTable(currentNameSet);
}

void Kelvane::endEdit() {
    stopTimer(flashTimer);
    for (const char* field : {nameSetId, longName, preEdit, postEdit, keyboard})
        setControlText(emptyText, editorPanel, field);
    disableControl(editorPanel, cancel);
    disableControl(editorPanel, update);
    enableControl(editorPanel, sourceGroup);
    enableControl(editorPanel, sourceList);
    enableControl(editorPanel, backToSelector);
    for (int k = 1; k <= nameSetCount; ++k) enableControl(editorPanel, numbered(nameSetPrefix, k));
    enableControl(editorPanel, nameSetTitle);
    setControlText(noSourceChosen, editorPanel, sourceList);
    editing = false;  // editingTitle keeps its value: the next edit sets it afresh
    hideEditFields();
}

void Kelvane::showEditFields() {
    for (const char* field : editFields) showControl(editorPanel, field);
}

void Kelvane::hideEditFields() {
    for (const char* field : editFields) hideControl(editorPanel, field);
}
