#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QListWidget;
class QLabel;

namespace velmora {

// What a day holds, for the window that shows it.
struct DayContents {
    std::string heading; // "2026/12/08（火）"
    std::string holiday; // its holiday name, or ""
    std::string oldDate; // "旧暦 11/19 先勝", or ""
    std::vector<std::string> entries;
};

// A day's entries, read only: what a double-click on a day opens until the
// schedule list takes its place.
class DayEntriesDialog : public QDialog {
public:
    explicit DayEntriesDialog(const DayContents& contents, QWidget* parent = nullptr);

    QLabel* heading;
    QListWidget* entries;
};

} // namespace velmora
