// Operations the button and timer handlers share: locking the editor's
// selectors, following the current name set, and opening and closing the
// fields of an edit.
#include "Kelvane.h"
#include "panel_names.h"
#include "prepared_texts.h"

using namespace panel_names;
using namespace prepared;

void Kelvane::lockSelectors() {
    disableControl(str<editorPanel>(), str<sourceGroup>());
    disableControl(str<editorPanel>(), str<sourceList>());
    disableControl(str<editorPanel>(), str<backToSelector>());
    for (int k = 1; k <= nameSetCount; ++k)
        disableControl(str<editorPanel>(), numberedName<nameSetPrefix>(k));
    disableControl(str<editorPanel>(), str<nameSetTitle>());
}

void Kelvane::unlockSelectors(TitlePlace title) {
    enableControl(str<editorPanel>(), str<sourceGroup>());
    enableControl(str<editorPanel>(), str<sourceList>());
    enableControl(str<editorPanel>(), str<backToSelector>());
    if (title == TitlePlace::beforeNameSets) enableControl(str<editorPanel>(), str<nameSetTitle>());
    for (int k = 1; k <= nameSetCount; ++k) enableControl(str<editorPanel>(), numberedName<nameSetPrefix>(k));
    if (title == TitlePlace::afterNameSets) enableControl(str<editorPanel>(), str<nameSetTitle>());
}

void Kelvane::selectCurrentNames() {
    if (currentNameSet >= 1 && currentNameSet <= nameSetCount) currentNames = nameSetTable(currentNameSet);
}

void Kelvane::endEdit() {
    stopTimer(flashTimer);
    for (const vrel_string* field :
         {&str<nameSetId>(), &str<longName>(), &str<preEdit>(), &str<postEdit>(), &str<keyboard>()})
        setControlText(str<emptyText>(), str<editorPanel>(), *field);
    disableControl(str<editorPanel>(), str<cancel>());
    disableControl(str<editorPanel>(), str<update>());
    unlockSelectors(TitlePlace::afterNameSets);
    setControlText(str<noSourceChosen>(), str<editorPanel>(), str<sourceList>());
    editing = false;  // editingTitle keeps its value: the next edit sets it afresh
    hideEditFields();
}

void Kelvane::showEditFields() {
    for (const vrel_string& field : strs<editFields>()) showControl(str<editorPanel>(), field);
}

void Kelvane::hideEditFields() {
    for (const vrel_string& field : strs<editFields>()) hideControl(str<editorPanel>(), field);
}
