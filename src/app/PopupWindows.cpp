#include "app/PopupWindows.h"

#include "app/MainHub.h"
#include "core/AtomicFile.h"
#include "core/PathText.h"
#include "core/UserFeedback.h"
#include "editor/EntryRowStore.h"
#include "editor/ReminderEdit.h"
#include "editor/TEditForm.h"
#include "platform/Platform.h"
#include "reminders/PopupFormModel.h"
#include "reminders/SupplementCommands.h"

#include <QPointer>

#include <algorithm>
#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

PopupWindows::PopupWindows(Platform& platform, UserFeedback& feedback, DesktopPicture& desktop)
    : m_platform(platform), m_feedback(feedback), m_desktop(desktop) {}

PopupWindows::~PopupWindows() {
    for (TPopupForm* w : m_windows) {
        delete w;
    }
}

ScheduleStore& PopupWindows::scheduleStore() {
    return m_hub->schedule();
}

const Settings& PopupWindows::settings() const {
    return m_hub->settings();
}

TPopupForm* PopupWindows::window(const std::string& key) const {
    const auto it = std::find_if(m_windows.begin(), m_windows.end(), [&](TPopupForm* w) { return w->key() == key; });
    return it == m_windows.end() ? nullptr : *it;
}

void PopupWindows::openSaved(const std::string& stateFile, const std::string& text, const std::string& key,
                             std::optional<int> colour) {
    MemoState state;
    // A damaged file gives what could be read; the entry's text and colour are the entry's.
    readMemoState(stateFile, &state, nullptr, kReminderSection);
    state.text = text;
    state.entryKey = key;
    if (colour) {
        state.colour = static_cast<Colour>(*colour);
    }
    open(state);
}

void PopupWindows::openFresh(const ReminderGeometry& geometry, const std::string& text, const std::string& key,
                             const FontSetting& font) {
    MemoState state;
    state.left = geometry.left;
    state.top = geometry.top;
    state.width = geometry.width;
    state.height = geometry.height;
    state.text = text;
    state.entryKey = key;
    state.font = font;
    state.picture.clear();
    state.colour = 0xFFFFFF;
    open(state);
}

void PopupWindows::open(MemoState state) {
    if (TPopupForm* old = window(state.entryKey)) {
        destroyWindow(old); // one window per entry
    }
    auto* w = new TPopupForm(*this, &m_desktop, state);
    m_windows.push_back(w);
    // Set up before it shows, so that it never flashes at its stored size.
    w->initialise();
    w->show();
}

void PopupWindows::close(const std::string& key) {
    if (TPopupForm* w = window(key)) {
        destroyWindow(w);
    }
}

void PopupWindows::closeAll() {
    while (!m_windows.empty()) {
        destroyWindow(m_windows.back());
    }
}

void PopupWindows::rekeyAll(const std::vector<std::pair<std::string, std::string>>& moves) {
    std::vector<std::pair<TPopupForm*, std::string>> found;
    for (const auto& [from, to] : moves) {
        if (TPopupForm* w = window(from)) {
            found.emplace_back(w, to);
        }
    }
    for (const auto& [w, to] : found) {
        w->setKey(to);
    }
}

void PopupWindows::retitle(const std::string& key, const std::string& text) {
    if (TPopupForm* w = window(key)) {
        w->setText(text);
    }
}

void PopupWindows::setHidden(bool hidden) {
    for (TPopupForm* w : m_windows) {
        w->setVisible(!hidden);
    }
}

void PopupWindows::reminderClosed(TPopupForm& window, bool reshow) {
    closeReminderState(m_hub->schedule().section(ScheduleSection::PopupStat), window.key(), reshow,
                       window.closeValue());
    destroyWindow(&window);
}

void PopupWindows::destroyWindow(TPopupForm* window) {
    m_windows.erase(std::remove(m_windows.begin(), m_windows.end(), window), m_windows.end());
    saveState(*window);
    window->hide();
    window->deleteLater();
}

void PopupWindows::saveState(TPopupForm& window) {
    ScheduleStore& store = m_hub->schedule();
    const std::string& key = window.key();
    const std::string folder = folderOf(store.path());
    NameValueList& files = store.section(ScheduleSection::PopupFile);
    NameValueList& options = store.section(ScheduleSection::PopupOpt);
    const std::string popup = store.section(ScheduleSection::Popup).value(key);
    const std::string named = files.value(key);
    const bool namedExists = isPlainFileName(named) && fs::is_regular_file(folder + named);
    if (popup.empty() || oneDayReminder(key, popup)) {
        // A one-off reminder keeps nothing for a next time.
        if (namedExists) {
            std::error_code ec;
            fs::remove(folder + named, ec);
        }
        files.remove(key);
        options.remove(key);
        options.remove(key + "-Color");
        return;
    }
    const MemoLook look = window.look();
    options.set(key, formatReminderLook(look));
    if (look.frame == 2) {
        options.set(key + "-Color", std::to_string(window.frameColour()));
    } else {
        options.remove(key + "-Color");
    }
    if (!store.ownership().ownsFile) {
        return; // another computer's file: the look stays in memory only
    }
    const auto bytes = memoStateBytes(window.state(), kReminderSection);
    if (!bytes) {
        return; // text the file cannot hold: the entry itself refuses it
    }
    std::string error;
    if (namedExists) {
        if (replaceFile(folder + named, *bytes, &error) != WriteResult::Written) {
            m_feedback.showMessage("予定のウィンドウの状態を保存できませんでした。\n" + folder + named + "\n" + error);
        }
        return;
    }
    if (const auto name = writeReminderWindowFile(store, folder, *bytes)) {
        files.set(key, *name);
    } else {
        m_feedback.showMessage("予定のウィンドウの状態を保存できませんでした。\n" + folder);
    }
}

void PopupWindows::editEntry(TPopupForm& window) {
    ScheduleStore& store = m_hub->schedule();
    if (!store.lockForEditing()) {
        return;
    }
    QPointer<TPopupForm> guard(&window);
    const std::string key = window.key();
    const std::string folder = folderOf(store.path());
    auto row = reminderEntryRow(store, key, folder);
    if (!row) {
        m_feedback.showMessage(std::string(kReminderEntryGoneMessage));
        store.save(true);
        return;
    }
    Settings& settings = m_hub->settings();
    TEditForm editor(reminderEditorContext(key, m_hub->clock().now(), settings), settings.defaultColours,
                     settings.editFont == 1);
    editor.fillFromRow(*row);
    const bool accepted = editor.run(*row);
    if (m_hub->closed()) {
        return; // the program ended while the editor was open
    }
    if (accepted) {
        const DateValue today = m_hub->clock().now().datePart();
        const ReminderEditOutcome outcome =
            writeReminderEntry(store, key, *row, folder, today, settings.font(FontPart::Schedule).face, m_feedback);
        if (!outcome.text.empty()) {
            if (outcome.popupChanged && guard) {
                guard->setCloseValue(""); // a plain close lets it remind at its new time
            }
            if (outcome.timeKey) {
                m_hub->reminders().addTimedReminder(*outcome.timeKey, outcome.text, key);
            }
            if (guard) {
                guard->setText(outcome.text);
                guard->autoFit();
            }
        }
    }
    store.save(true);
    if (accepted) {
        m_hub->drawWallPaper(true);
    }
}

std::string PopupWindows::supplementText(const std::string& key) {
    return velmora::supplementText(key, folderOf(m_hub->schedule().path()), m_platform.secrets());
}

void PopupWindows::playSound(const std::string& waveFile) {
    m_platform.playSound(waveFile);
}

void PopupWindows::launch(const std::string& program, const std::string& parameters, const std::string& workingDir) {
    m_platform.launchProgram(program, parameters, workingDir);
}

} // namespace velmora
