// Changes of the name driver's databases, the panel's own renames included:
// the cached names and titles follow them, and so do the controls that show
// the changed entry.
#include "Kelvane.h"
#include "panel_names.h"
#include "prepared_texts.h"

using namespace panel_names;
using namespace prepared;

void Kelvane::onDatabase(database_notify* database) {
    if (database->device() != namesDevice) return;
    const int number = database->database();
    const int entry = database->index();
    const vrel_string name = database->text();

    if (number >= 1 && number <= nameSetCount) {
        // Registered for entries 1 to 128 only: anything else has no place in the table.
        if (entry < 1 || entry > sourceCount) {
            debugOut("Kelvane: ignored a change of entry %1 in name set %2: entries are 1 to 128\n",
                     decimal(entry), decimal(number));
            return;
        }
        nameSetTable(number)[entry] = name;
        // The same name is open in the editor: the driver's name replaces the old one there.
        if (editing && !editingTitle && number == currentNameSet && entry == editIndex) {
            setControlProperty(str<text>(), name, str<editorPanel>(), str<preEdit>());
            setControlProperty(str<text>(), name, str<editorPanel>(), str<keyboard>());
        }
    } else if (number == titleDatabase) {
        if (entry < 1 || entry > nameSetCount) return;  // entry 0 is the fixed router title
        nameSetTitles[entry] = name;
        setControlProperty(str<text>(), name, str<selectorPanel>(), numberedName<titlePrefix>(entry));
        if (entry == liveNameSet) setControlProperty(str<text>(), name, str<selectorPanel>(), str<current>());
    }
}
