#include "memos/MemoFormModel.h"

#include "core/NameValueList.h"

#include <algorithm>

namespace velmora {

void choosePlacement(MemoLook& look, int placement) {
    look.placement = placement;
    if (placement < 2 && look.trans == 2) {
        look.trans = 1;
    } else if (placement == 2 && look.trans == 1) {
        look.trans = 2;
    }
}

void chooseTransparency(MemoLook& look, int trans) {
    look.trans = trans == 2 && look.placement < 2 ? 1 : trans;
}

int paintedTransparency(const MemoLook& look) {
    return look.trans == 1 && look.placement == 2 ? 2 : look.trans;
}

NoteSize inputModeSize(NoteSize size) {
    return {std::max(size.width * 3 / 2, 200), std::max(size.height * 3 / 2, 300)};
}

int fitIntoScreen(int position, int screenExtent) {
    return position > screenExtent - 1 ? screenExtent / 2 : position;
}

NoteSize autoFitSize(NoteSize content, int frame, bool pictureWithoutFrame) {
    if (pictureWithoutFrame) {
        return content;
    }
    return {content.width + 2 * frame, content.height + 2 * frame};
}

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string trimmed(const std::string& text) {
    std::size_t b = 0;
    std::size_t e = text.size();
    while (b < e && isBlank(text[b])) {
        ++b;
    }
    while (e > b && isBlank(text[e - 1])) {
        --e;
    }
    return text.substr(b, e - b);
}

} // namespace

InputEnd endInput(const std::string& editorText, const std::string& picture) {
    InputEnd end;
    const bool empty = trimmed(editorText).empty();
    end.hide = empty && picture.empty();
    end.autoSizeOff = empty && (picture.empty() || picture == "NONE");
    end.text = editorText;
    // Full-width blanks count too: a Japanese line often ends in one.
    for (;;) {
        if (!end.text.empty() && (end.text.back() == ' ' || end.text.back() == '\t')) {
            end.text.pop_back();
        } else if (end.text.size() >= 3 && end.text.compare(end.text.size() - 3, 3, "\u3000") == 0) {
            end.text.resize(end.text.size() - 3);
        } else {
            break;
        }
    }
    return end;
}

std::size_t wallpaperMemoIndex(const std::vector<int>& placements, int placement) {
    if (placement == 0) {
        return 0;
    }
    if (placement == 1 && !placements.empty() && placements.back() == 2) {
        const auto firstTop = std::find(placements.begin(), placements.end(), 2);
        return static_cast<std::size_t>(firstTop - placements.begin());
    }
    return placements.size();
}

bool isMemoPictureFile(const std::string& path) {
    return path.size() >= 4 && equalsIgnoreCase(std::string_view(path).substr(path.size() - 4), ".bmp");
}

} // namespace velmora
