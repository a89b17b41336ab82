#include "memos/MemoDrawer.h"

#include "core/NameValueList.h"
#include "memos/MemoFiles.h"
#include "memos/MemoState.h"
#include "memos/MemoStore.h"

#include <algorithm>
#include <filesystem>

namespace velmora {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kEmptyMemo = "空のメモです";

bool isDrawerFile(std::string_view name) {
    return memoNumber(name) && equalsIgnoreCase(name.substr(8), ".$$$");
}

DrawerItem readItem(const std::string& folder, const std::string& fileName) {
    // A damaged file still shows what could be read; a missing part keeps
    // its default, which ends in the empty-memo text.
    MemoState state;
    readMemoState(folder + fileName, &state);
    DrawerItem item;
    item.fileName = fileName;
    if (!state.text.empty()) {
        item.content = state.text;
    } else if (!state.editorPicture.empty()) {
        // Put away memos lose the label's picture path; the editor's copy keeps it.
        item.content = state.editorPicture;
    } else {
        item.content = kEmptyMemo;
    }
    item.fontName = state.font.face;
    return item;
}

} // namespace

MemoDrawer::MemoDrawer(MemoStore& store, UserFeedback& feedback, TrashFunction trash)
    : m_store(store), m_feedback(feedback), m_trash(std::move(trash)) {}

void MemoDrawer::load() {
    m_items.clear();
    const std::string folder = m_store.folder();
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder.empty() ? "." : folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (isDrawerFile(name) && it->is_regular_file(typeError)) {
            m_items.push_back(readItem(folder, name));
        }
    }
    std::sort(m_items.begin(), m_items.end(), [](const DrawerItem& a, const DrawerItem& b) {
        const int order = compareIgnoreCase(a.fileName, b.fileName);
        return order != 0 ? order < 0 : a.fileName < b.fileName;
    });
}

std::string MemoDrawer::displayCaption(int i) const {
    const DrawerItem& row = item(i);
    return row.marked ? "x" + row.fileName : row.fileName;
}

bool MemoDrawer::mark(int i) {
    if (!validRow(i) || m_items[i].marked) {
        return false;
    }
    m_items[i].marked = true;
    return true;
}

bool MemoDrawer::unmark(int i) {
    if (!validRow(i) || !m_items[i].marked) {
        return false;
    }
    m_items[i].marked = false;
    return true;
}

bool MemoDrawer::canRevive(int i) const {
    return validRow(i) && !m_items[i].marked;
}

std::optional<std::string> MemoDrawer::revive(int i) {
    if (!canRevive(i)) {
        return std::nullopt;
    }
    const std::string drawerName = m_items[i].fileName;
    if (!m_store.takeFromDrawer(drawerName)) {
        return std::nullopt;
    }
    m_items.erase(m_items.begin() + i);
    m_revived = true;
    return memoFileName(*memoNumber(drawerName));
}

void MemoDrawer::close() {
    const std::string folder = m_store.folder();
    bool changed = m_revived;
    for (const DrawerItem& row : m_items) {
        if (!row.marked) {
            continue;
        }
        const std::string path = folder + row.fileName;
        if (!m_trash || !m_trash(path)) {
            m_feedback.showMessage("メモをごみ箱に移せませんでした。\n" + path);
            continue;
        }
        m_store.removeLook(memoFileName(*memoNumber(row.fileName)));
        changed = true;
    }
    m_items.clear();
    m_revived = false;
    if (changed) {
        m_store.save(true);
    }
}

} // namespace velmora
