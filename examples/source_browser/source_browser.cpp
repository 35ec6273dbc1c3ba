#include "source_browser.h"

#include "runtime/boundary/vrel_script_entry.h"

namespace {

constexpr char panel[] = "1";
constexpr char panelFile[] = "Browser.vrel_ui";
constexpr char routerInstance[] = "StC SDI Router";
constexpr int sourceNames = 0;  // the router's database of source names

vrel_string decimal(int value) { return vrel_string(value, ' ', 0, 10); }

}  // namespace

SourceBrowser::SourceBrowser(vrel_client_callback* host, const char* panelFolder)
    : vrel_script_helper(host, panelFolder) {
    showPanel(panel, panelFile);
    lookupDevice(routerInstance, &router, nullptr);
    for (int source = 1; source <= sourceCount; ++source)
        readDatabaseName(router, sourceNames, source, names[source]);
    turnTo(0);
    // Renames made elsewhere arrive as database changes from now on.
    registerRouter(router, 1, sourceCount);
}

void SourceBrowser::turnTo(int newPage) {
    page = newPage;
    for (int row = 1; row <= pageSize; ++row) drawName(page * pageSize + row);
    const vrel_string pageText = vrel_string("Page ") + decimal(page + 1) + " of " + decimal(pageCount);
    setControlProperty("text", pageText, panel, "Page");
    // Sent on every turn, so the buttons are right whatever the panel showed before.
    if (page == 0)
        disableControl(panel, "Prev");
    else
        enableControl(panel, "Prev");
    if (page == pageCount - 1)
        disableControl(panel, "Next");
    else
        enableControl(panel, "Next");
}

void SourceBrowser::drawName(int source) {
    const int row = source - page * pageSize;
    const vrel_string control = vrel_string("Name_") + decimal(row);
    setControlProperty("text", decimal(source) + "  " + names[source], panel, control);
}

void SourceBrowser::onButton(button_notify* button) {
    if (button->panel() != panel) return;
    const vrel_string control = button->id();
    if (control == "Next" && page < pageCount - 1) turnTo(page + 1);
    if (control == "Prev" && page > 0) turnTo(page - 1);
}

void SourceBrowser::onDatabase(database_notify* database) {
    if (database->device() != router || database->database() != sourceNames) return;
    const int source = database->index();
    if (source < 1 || source > sourceCount) return;
    names[source] = database->text();
    if ((source - 1) / pageSize == page) drawName(source);
}

// Nothing else is of interest to this panel.
int SourceBrowser::onRevertive(revertive_notify*) { return 0; }
vrel_string SourceBrowser::onParent(parent_notify*) { return vrel_string(); }
int SourceBrowser::onTimer(int) { return 0; }

// The one export: the host calls it once per panel instance and owns the result.
extern "C" VREL_SCRIPT_EXPORT vrel_client_callback* VREL_CDECL load_vrel_client_script(vrel_client_callback* host,
                                                                                       const char* text) {
    try {
        return new SourceBrowser(host, text);
    } catch (...) {
        return nullptr;  // no exception may cross into the host
    }
}
