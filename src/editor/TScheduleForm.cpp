#include "editor/TScheduleForm.h"

#include "editor/TEditForm.h"
#include "editor/TFindForm.h"
#include "render/QtCanvas.h"
#include "schedule/ScheduleStore.h"
#include "settings/Settings.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace velmora {

namespace {

QString q(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

std::string s(const QString& text) {
    return text.toStdString();
}

QDate toQDate(DateValue d) {
    return QDate(d.year(), d.month(), d.day());
}

std::optional<DateValue> fromQDate(const QDate& d) {
    return DateValue::fromDate(d.year(), d.month(), d.day());
}

constexpr int kRowRole = Qt::UserRole + 1;

// The image list: the four kinds with a letter each, folders, and the
// highlighted folders of the start date. Drawn here so the pictures look
// alike on every desktop theme.
QIcon kindIcon(int kind, bool reminder) {
    static const char* letters[] = {"基", "年", "月", "週"};
    static const QColor colours[] = {QColor(0x2e, 0x6d, 0xb4), QColor(0xb4, 0x5f, 0x2e), QColor(0x3c, 0x8c, 0x3c),
                                     QColor(0x8c, 0x3c, 0x8c)};
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colours[std::clamp(kind, 0, 3)]);
    p.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    QFont font = p.font();
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QString::fromUtf8(letters[std::clamp(kind, 0, 3)]));
    if (reminder) {
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(QColor(0xe0, 0x30, 0x30));
        p.drawEllipse(QRectF(9.5, 9.5, 6, 6));
    }
    return QIcon(pixmap);
}

QIcon folderIcon(bool highlighted, bool open) {
    QIcon base = QApplication::style()->standardIcon(open ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon);
    if (!highlighted) {
        return base;
    }
    QPixmap pixmap = base.pixmap(16, 16);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xe0, 0x30, 0x30));
    p.drawEllipse(QRectF(9, 9, 7, 7));
    return QIcon(pixmap);
}

QIcon parentIcon() {
    return QApplication::style()->standardIcon(QStyle::SP_FileDialogToParent);
}

} // namespace

// The schedule tree as an item model over the model's nodes, told of every
// insertion and re-sort: the tree of a large file is never copied.
class ScheduleTreeItemModel : public QAbstractItemModel, public ScheduleTree::Listener {
public:
    explicit ScheduleTreeItemModel(ScheduleTree& tree) : m_tree(tree) { m_tree.setListener(this); }
    ~ScheduleTreeItemModel() override { m_tree.setListener(nullptr); }

    static const TreeNode* nodeOf(const QModelIndex& index) {
        return static_cast<const TreeNode*>(index.internalPointer());
    }
    QModelIndex indexOf(const TreeNode* node) const {
        return node ? createIndex(node->row(), 0, const_cast<TreeNode*>(node)) : QModelIndex();
    }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override {
        if (column != 0 || row < 0) {
            return {};
        }
        if (!parent.isValid()) {
            return row == 0 ? indexOf(&m_tree.root()) : QModelIndex();
        }
        const TreeNode* p = nodeOf(parent);
        if (row >= static_cast<int>(p->children.size())) {
            return {};
        }
        return createIndex(row, 0, p->children[static_cast<std::size_t>(row)].get());
    }
    QModelIndex parent(const QModelIndex& child) const override {
        const TreeNode* node = child.isValid() ? nodeOf(child) : nullptr;
        return node && node->parent ? indexOf(node->parent) : QModelIndex();
    }
    int rowCount(const QModelIndex& parent) const override {
        if (!parent.isValid()) {
            return 1;
        }
        return parent.column() == 0 ? static_cast<int>(nodeOf(parent)->children.size()) : 0;
    }
    int columnCount(const QModelIndex&) const override { return 1; }
    QVariant data(const QModelIndex& index, int role) const override {
        const TreeNode* node = index.isValid() ? nodeOf(index) : nullptr;
        if (!node) {
            return {};
        }
        if (role == Qt::DisplayRole) {
            return q(node->text);
        }
        if (role == Qt::DecorationRole) {
            return folderIcon(node->highlighted, false);
        }
        if (role == Qt::FontRole && node->searchHit) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    }

    void beginInsert(const TreeNode& parent, int row) override { beginInsertRows(indexOf(&parent), row, row); }
    void endInsert() override { endInsertRows(); }
    void beginReset() override { beginResetModel(); }
    void endReset() override { endResetModel(); }

private:
    ScheduleTree& m_tree;
};

namespace {

// The list's custom drawing with EditFont: the entry's colour as a strip at
// the row's left edge, and the entries of a folder row one by one, each in its
// own font and framed in its own colour.
class RowDelegate : public QStyledItemDelegate {
public:
    static constexpr int kStripWidth = 5;

    RowDelegate(const ScheduleListModel& model, const Settings& settings, QObject* parent)
        : QStyledItemDelegate(parent), m_model(model), m_settings(settings) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const bool custom = m_settings.editFont == 1;
        const int row = index.data(kRowRole).toInt();
        if (custom && !m_model.isEntryView() && index.column() == 1) {
            paintFolderEntries(painter, option, row);
            return;
        }
        const bool strip = custom && m_model.isEntryView() && index.column() == 0 && row >= 0 &&
                           row < static_cast<int>(m_model.rows().size()) &&
                           !m_model.rows()[static_cast<std::size_t>(row)].parent;
        if (!strip) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        // The row itself moves right of the strip, so the strip never covers its icon.
        QStyleOptionViewItem beside = option;
        beside.rect.setLeft(option.rect.left() + kStripWidth + 2);
        QStyledItemDelegate::paint(painter, beside, index);
        const Colour fallback = m_settings.font(FontPart::Schedule).colour;
        const QRect area(option.rect.left(), option.rect.top(), kStripWidth, option.rect.height() - 1);
        painter->fillRect(area, toQColor(rowColour(m_model.rows()[static_cast<std::size_t>(row)], fallback)));
    }

private:
    void paintFolderEntries(QPainter* painter, const QStyleOptionViewItem& option, int row) const {
        QStyleOptionViewItem plain = option;
        plain.text.clear();
        QApplication::style()->drawControl(QStyle::CE_ItemViewItem, &plain, painter);
        int x = option.rect.left() + 2;
        const auto entries = m_model.folderRowEntries(row);
        for (std::size_t i = 0; i < entries.size() && x < option.rect.right(); ++i) {
            QFont font(q(entries[i].face));
            font.setPointSize(option.font.pointSize());
            const QFontMetrics metrics(font);
            const QString text = q(entries[i].text) + (i + 1 < entries.size() ? QStringLiteral(",") : QString());
            const int width = metrics.horizontalAdvance(text);
            const int height = metrics.height();
            const QRect box(x, option.rect.center().y() - height / 2, width + 2, height);
            painter->save();
            painter->setPen(toQColor(entries[i].colour));
            painter->drawRect(box.adjusted(0, 0, -1, -1));
            painter->setFont(font);
            const bool selected = option.state & QStyle::State_Selected;
            painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
            painter->drawText(box, Qt::AlignCenter, text);
            painter->restore();
            x += width + 6;
        }
    }

    const ScheduleListModel& m_model;
    const Settings& m_settings;
};

ScheduleListContext withMeasure(ScheduleListContext context) {
    if (!context.measure) {
        context.measure = [](const std::string& text, const std::string& face) {
            return QFontMetrics(QFont(q(face))).horizontalAdvance(q(text));
        };
    }
    return context;
}

} // namespace

TScheduleForm::TScheduleForm(ScheduleListContext context, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint),
      m_context(withMeasure(context)), m_model(m_context),
      m_treeModel(std::make_unique<ScheduleTreeItemModel>(m_model.tree())) {
    setObjectName(QStringLiteral("ScheduleForm"));
    setWindowTitle(QStringLiteral("Velmora"));
    setModal(true);
    buildControls();
    connectControls();
}

TScheduleForm::~TScheduleForm() {
    // The view lets go of the item model before the tree it stands over.
    m_tree->setModel(nullptr);
}

void TScheduleForm::buildControls() {
    // The top row: the date, the arrows, the tree's order and visibility, OK.
    m_dateInput = new QDateEdit(this);
    m_dateInput->setObjectName(QStringLiteral("DateInput"));
    m_dateInput->setCalendarPopup(true);
    m_dateInput->setDisplayFormat(QStringLiteral("yyyy年M月d日"));
    m_dateInput->setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    m_dateLabel = new QLabel(this);
    m_dateLabel->setObjectName(QStringLiteral("DateLabel"));
    m_dateLabel->setAutoFillBackground(true);
    QPalette white = m_dateLabel->palette();
    white.setColor(QPalette::Window, Qt::white);
    m_dateLabel->setPalette(white);
    m_dateLabel->setFrameShape(QFrame::StyledPanel);
    m_dateLabel->setContentsMargins(4, 0, 4, 0);
    m_dateStack = new QStackedWidget(this);
    m_dateStack->addWidget(m_dateInput);
    m_dateStack->addWidget(m_dateLabel);
    m_dateStack->setMinimumWidth(170);

    m_dayLabel = new QLabel(this);
    m_dayLabel->setObjectName(QStringLiteral("DayLabel"));
    QFont bold = m_dayLabel->font();
    bold.setBold(true);
    m_dayLabel->setFont(bold);
    m_dayLabel->setMinimumWidth(m_dayLabel->fontMetrics().horizontalAdvance(QStringLiteral("( 水 )")) + 4);

    m_upDown = new QWidget(this);
    m_upDown->setObjectName(QStringLiteral("DUpDown"));
    auto* arrows = new QVBoxLayout(m_upDown);
    arrows->setContentsMargins(0, 0, 0, 0);
    arrows->setSpacing(0);
    m_upButton = new QToolButton(m_upDown);
    m_upButton->setObjectName(QStringLiteral("DUp"));
    m_upButton->setArrowType(Qt::UpArrow);
    m_upButton->setFixedSize(20, 12);
    m_downButton = new QToolButton(m_upDown);
    m_downButton->setObjectName(QStringLiteral("DDown"));
    m_downButton->setArrowType(Qt::DownArrow);
    m_downButton->setFixedSize(20, 12);
    arrows->addWidget(m_upButton);
    arrows->addWidget(m_downButton);

    m_hideTree = new QCheckBox(QStringLiteral("ﾂﾘｰ表示を隠す"), this);
    m_hideTree->setObjectName(QStringLiteral("HideTree"));
    m_ascend = new QToolButton(this);
    m_ascend->setObjectName(QStringLiteral("AscndBtn"));
    m_ascend->setText(QStringLiteral("新"));
    m_ascend->setToolTip(QStringLiteral("新しいもん順"));
    m_ascend->setCheckable(true);
    m_ascend->setAutoExclusive(true);
    m_descend = new QToolButton(this);
    m_descend->setObjectName(QStringLiteral("DscndBtn"));
    m_descend->setText(QStringLiteral("古"));
    m_descend->setToolTip(QStringLiteral("古いもん順"));
    m_descend->setCheckable(true);
    m_descend->setAutoExclusive(true);
    m_search = new QToolButton(this);
    m_search->setObjectName(QStringLiteral("Search"));
    m_search->setText(QStringLiteral("検索"));
    m_search->setToolTip(QStringLiteral("検索"));

    m_okBtn = new QPushButton(QStringLiteral("ＯＫ"), this);
    m_okBtn->setObjectName(QStringLiteral("OkBtn"));
    m_okBtn->setDefault(true);

    auto* top = new QHBoxLayout;
    top->addWidget(m_dateStack);
    top->addWidget(m_dayLabel);
    top->addWidget(m_upDown);
    top->addSpacing(8);
    top->addWidget(m_ascend);
    top->addWidget(m_descend);
    top->addWidget(m_search);
    top->addWidget(m_hideTree);
    top->addStretch(1);
    top->addWidget(m_okBtn);

    // The toolbar of the entry views.
    m_toolBar = new QToolBar(this);
    m_toolBar->setObjectName(QStringLiteral("ToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto action = [this](const char* name, const char* text, const char* hint) {
        auto* a = new QAction(QString::fromUtf8(text), this);
        a->setObjectName(QString::fromUtf8(name));
        a->setToolTip(QString::fromUtf8(hint));
        addAction(a);
        return a;
    };
    m_cut = action("CutBtn", "切取", "切取");
    m_copy = action("CopyBtn", "ｺﾋﾟｰ", "ｺﾋﾟｰ");
    m_paste = action("PasteBtn", "貼付", "貼付");
    m_add = action("AddBtn", "追加", "追加");
    m_delete = action("DelBtn", "削除", "削除");
    m_revive = action("ReviveBtn", "復活", "復活");
    m_up = action("UpBtn", "▲", "上へ");
    m_down = action("DownBtn", "▼", "下へ");
    m_retitle = action("EditText", "予定のみ編集", "予定のみ編集");
    m_delete->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    m_retitle->setShortcut(QKeySequence(Qt::Key_F2));
    for (QAction* a : {m_cut, m_copy, m_paste, m_add, m_delete, m_revive, m_up, m_down}) {
        m_toolBar->addAction(a);
    }

    // The tree and the list.
    m_tree = new QTreeView(this);
    m_tree->setObjectName(QStringLiteral("SchTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    // Deep dated nodes scroll sideways in a narrow pane rather than lose their text.
    m_tree->setIndentation(14);
    m_tree->setTextElideMode(Qt::ElideNone);
    m_tree->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);
    m_tree->setModel(m_treeModel.get());

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("ScheduleLV"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("0"), QStringLiteral("1")});
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);
    m_list->setItemDelegate(new RowDelegate(m_model, m_context.settings, m_list));
    m_list->viewport()->setMouseTracking(true);
    m_list->viewport()->installEventFilter(this);

    m_splitter = new QSplitter(this);
    m_splitter->addWidget(m_tree);
    m_splitter->addWidget(m_list);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setCollapsible(1, false);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_splitter, 1);

    // The menus.
    m_listMenu = new QMenu(this);
    m_listMenu->setObjectName(QStringLiteral("LVPopup"));
    const auto menuItem = [](QMenu* menu, const char* text, bool enabled) {
        QAction* a = menu->addAction(QString::fromUtf8(text));
        a->setEnabled(enabled);
        return a;
    };
    m_menuCut = menuItem(m_listMenu, "切り取り", false);
    m_menuCopy = menuItem(m_listMenu, "コピー", false);
    m_menuPaste = menuItem(m_listMenu, "貼り付け", false);
    m_listMenu->addSeparator();
    m_menuAdd = menuItem(m_listMenu, "追加", false);
    m_menuDelete = menuItem(m_listMenu, "削除", false);
    m_menuDelete->setShortcut(m_delete->shortcut());
    m_menuRevive = menuItem(m_listMenu, "復活", false);
    m_menuRetitle = menuItem(m_listMenu, "予定のみ編集", false);
    m_menuRetitle->setShortcut(m_retitle->shortcut());
    m_listMenu->addSeparator();
    m_copiesMenu = m_listMenu->addMenu(QStringLiteral("ｽｹｼﾞｭｰﾙの複製"));
    static const char* days[] = {"＋１日分の複製", "＋２日分の複製", "＋３日分の複製",
                                 "＋４日分の複製", "＋５日分の複製", "＋６日分の複製"};
    for (int n = 1; n <= 6; ++n) {
        QAction* a = menuItem(m_copiesMenu, days[n - 1], true);
        connect(a, &QAction::triggered, this, [this, n] { copyToFollowingDays(n); });
    }
    m_copiesMenu->setEnabled(false);
    m_listMenu->addSeparator();
    connect(menuItem(m_listMenu, "全データを検索", true), &QAction::triggered, this, [this] { openSearch(false); });
    connect(menuItem(m_listMenu, "ここから検索", true), &QAction::triggered, this, [this] { openSearch(true); });
    connect(m_menuCut, &QAction::triggered, this, [this] { cutSelected(); });
    connect(m_menuCopy, &QAction::triggered, this, [this] { copySelected(); });
    connect(m_menuPaste, &QAction::triggered, this, [this] { pasteRows(); });
    connect(m_menuAdd, &QAction::triggered, this, [this] { addEntry(); });
    connect(m_menuDelete, &QAction::triggered, this, [this] { deleteSelected(true); });
    connect(m_menuRevive, &QAction::triggered, this, [this] { deleteSelected(false); });
    connect(m_menuRetitle, &QAction::triggered, this, [this] { editSelectedText(); });
    connect(m_listMenu, &QMenu::aboutToShow, this, [this] {
        const ListMenuState state = m_model.listMenuState(selectedRows());
        m_menuCut->setEnabled(state.cut);
        m_menuCopy->setEnabled(state.copy);
        m_menuPaste->setEnabled(state.paste);
        m_menuAdd->setEnabled(state.add);
        m_menuDelete->setEnabled(state.remove);
        m_menuRevive->setEnabled(state.revive);
        m_menuRetitle->setEnabled(state.retitle);
        m_copiesMenu->setEnabled(state.copyToDays);
        // The find text follows the focused row.
        const int row = entryRowOf(m_list->currentItem());
        if (m_findForm) {
            m_findForm->setFindText(row >= 0 ? q(m_model.rows()[static_cast<std::size_t>(row)].caption) : QString());
        }
    });

    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName(QStringLiteral("TreePopup"));
    connect(menuItem(m_treeMenu, "全データを検索", true), &QAction::triggered, this, [this] { openSearch(false); });
    connect(menuItem(m_treeMenu, "ここから検索", true), &QAction::triggered, this, [this] { openSearch(true); });
    connect(menuItem(m_treeMenu, "ツリー下のデータを全て削除", true), &QAction::triggered, this,
            [this] { deleteUnderSelectedNode(false); });
    m_treeUpTo = menuItem(m_treeMenu, "ここ以前のデータを全て削除", false);
    connect(m_treeUpTo, &QAction::triggered, this, [this] { deleteUnderSelectedNode(true); });
    connect(m_treeMenu, &QMenu::aboutToShow, this,
            [this] { m_treeUpTo->setEnabled(ScheduleListModel::canDeleteUpTo(m_model.selectedNode())); });
}

void TScheduleForm::connectControls() {
    connect(m_okBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { treeSelectionChanged(); });
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) { rowDoubleClicked(item); });
    connect(m_list, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        // A month of the dated folder view puts its first day into the picker, without reloading.
        if (const auto first = m_model.pickerDateForRow(item->data(0, kRowRole).toInt())) {
            m_syncing = true;
            m_dateInput->setDate(toQDate(*first));
            m_syncing = false;
        }
    });
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, [this] {
        // The list shows the selected entry's own font.
        const auto rows = selectedRows();
        if (m_context.settings.editFont == 1 && rows.size() == 1 && m_model.isEntryView()) {
            const EntryRow& row = m_model.rows()[static_cast<std::size_t>(rows.front())];
            if (!row.parent) {
                m_list->setFont(fontOf(rowFontName(row, m_context.settings.font(FontPart::Schedule).face)));
            }
        }
    });
    connect(m_dateInput, &QDateEdit::dateChanged, this, [this] { dateTyped(); });
    connect(m_upButton, &QToolButton::clicked, this, [this] { stepDate(true); });
    connect(m_downButton, &QToolButton::clicked, this, [this] { stepDate(false); });
    connect(m_ascend, &QToolButton::clicked, this, [this] {
        m_model.setNewestFirst(true);
        syncTreeSelection();
        showDate();
    });
    connect(m_descend, &QToolButton::clicked, this, [this] {
        m_model.setNewestFirst(false);
        syncTreeSelection();
        showDate();
    });
    connect(m_hideTree, &QCheckBox::toggled, this, [this](bool hidden) {
        const int total = m_splitter->width();
        if (hidden) {
            if (const int width = m_splitter->sizes().value(0); width > 0) {
                m_context.settings.tWidth = width;
            }
            m_splitter->setSizes({0, total});
        } else {
            const int width = std::clamp(m_context.settings.tWidth, 40, std::max(40, total - 20));
            m_splitter->setSizes({width, std::max(0, total - width)});
        }
    });
    connect(m_add, &QAction::triggered, this, [this] { addEntry(); });
    connect(m_cut, &QAction::triggered, this, [this] { cutSelected(); });
    connect(m_copy, &QAction::triggered, this, [this] { copySelected(); });
    connect(m_paste, &QAction::triggered, this, [this] { pasteRows(); });
    connect(m_search, &QToolButton::clicked, this, [this] { openSearch(false); });
    connect(m_delete, &QAction::triggered, this, [this] { deleteSelected(true); });
    connect(m_revive, &QAction::triggered, this, [this] { deleteSelected(false); });
    connect(m_up, &QAction::triggered, this, [this] { moveSelected(true); });
    connect(m_down, &QAction::triggered, this, [this] { moveSelected(false); });
    connect(m_retitle, &QAction::triggered, this, [this] { editSelectedText(); });
    connect(m_list, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (m_model.isEntryView()) {
            m_listMenu->popup(m_list->viewport()->mapToGlobal(at));
        }
    });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        // A right click selects the node first.
        const QModelIndex index = m_tree->indexAt(at);
        if (index.isValid()) {
            m_tree->setCurrentIndex(index);
        }
        m_treeMenu->popup(m_tree->viewport()->mapToGlobal(at));
    });
}

void TScheduleForm::placeWindow() {
    const Settings& st = m_context.settings;
    QRect screen(0, 0, 1024, 768);
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        screen = primary->availableGeometry();
    }
    const int width = std::clamp(st.sWidth > 0 ? st.sWidth : 600, 300, screen.width());
    const int height = std::clamp(st.sHeight > 0 ? st.sHeight : 400, 200, screen.height());
    resize(width, height);
    move(std::clamp(st.sLeft, 0, std::max(0, screen.width() - 40)),
         std::clamp(st.sTop, 0, std::max(0, screen.height() - 40)));
    const int treeWidth = std::clamp(st.tWidth > 0 ? st.tWidth : 180, 0, std::max(0, width - 20));
    m_splitter->setSizes({treeWidth, std::max(0, width - treeWidth)});
    if (st.hideTree == 1) {
        m_hideTree->setChecked(true);
    }
}

bool TScheduleForm::run(DateValue date) {
    placeWindow();
    (m_model.newestFirst() ? m_ascend : m_descend)->setChecked(true);
    m_model.open(date);
    m_tree->expand(m_treeModel->index(0, 0, QModelIndex()));
    showView();
    show();
    raise();
    activateWindow();
    m_list->setFocus();
    exec();
    return m_model.changed();
}

void TScheduleForm::done(int result) {
    finishTextEdit(true);
    m_model.close();
    Settings& st = m_context.settings;
    st.sTop = y();
    st.sLeft = x();
    st.sHeight = height();
    st.sWidth = width();
    if (!m_hideTree->isChecked()) {
        st.tWidth = m_splitter->sizes().value(0, st.tWidth);
    }
    st.hideTree = m_hideTree->isChecked() ? 1 : 0;
    // There is nothing to cancel: every change is in the store already.
    QDialog::done(result == QDialog::Rejected ? QDialog::Accepted : result);
}

bool TScheduleForm::eventFilter(QObject* watched, QEvent* event) {
    if (m_textEdit && watched == m_textEdit) {
        // Enter ends the edit and Esc drops it; neither reaches the window's buttons.
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
                finishTextEdit(key != Qt::Key_Escape);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            finishTextEdit(true);
        }
        return false;
    }
    if (watched == m_list->viewport()) {
        if (event->type() == QEvent::MouseMove && m_model.reselectPending()) {
            m_model.resolvePendingReselect();
            syncTreeSelection();
        } else if (event->type() == QEvent::MouseButtonDblClick && m_model.isEntryView()) {
            // A double-click beside the rows adds an entry.
            const auto* click = static_cast<QMouseEvent*>(event);
            if (!m_list->itemAt(click->position().toPoint())) {
                addEntry();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

QFont TScheduleForm::fontOf(const std::string& face) const {
    QFont font = QDialog::font();
    if (!face.empty()) {
        font.setFamily(q(face));
    }
    return font;
}

void TScheduleForm::showView() {
    syncTreeSelection();
    showRows();
    showDate();
    const bool entries = m_model.isEntryView();
    m_toolBar->setVisible(entries);
    m_upDown->setVisible(entries);
}

void TScheduleForm::showRows() {
    QSignalBlocker block(m_list);
    m_list->clear();
    const Settings& st = m_context.settings;
    const std::string scheduleFace = st.font(FontPart::Schedule).face;
    const bool custom = st.editFont == 1;
    QList<QTreeWidgetItem*> items;
    if (m_model.isEntryView()) {
        const auto& rows = m_model.rows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const EntryRow& row = rows[i];
            auto* item = new QTreeWidgetItem;
            item->setText(0, q(row.caption));
            item->setData(0, kRowRole, static_cast<int>(i));
            item->setData(1, kRowRole, static_cast<int>(i));
            item->setIcon(0, row.parent ? parentIcon() : kindIcon(static_cast<int>(row.kind), row.hasReminder()));
            if (custom && !row.parent) {
                item->setFont(0, fontOf(rowFontName(row, scheduleFace)));
            }
            if (row.deleted) {
                // Marked for deletion: ghosted until the commit, revivable.
                item->setForeground(0, QApplication::palette().brush(QPalette::Disabled, QPalette::Text));
                QFont f = item->font(0);
                f.setStrikeOut(true);
                item->setFont(0, f);
            }
            items.append(item);
        }
        m_list->addTopLevelItems(items);
        m_list->setColumnWidth(0, std::max(m_model.firstColumnWidth(), 120));
    } else {
        const auto& rows = m_model.folderRows();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            auto* item = new QTreeWidgetItem;
            item->setText(0, q(rows[i].caption));
            item->setText(1, q(rows[i].second));
            item->setData(0, kRowRole, static_cast<int>(i));
            item->setData(1, kRowRole, static_cast<int>(i));
            item->setIcon(0,
                          rows[i].parent ? parentIcon() : folderIcon(rows[i].node && rows[i].node->highlighted, false));
            if (custom) {
                item->setFont(0, fontOf(scheduleFace));
                item->setFont(1, fontOf(scheduleFace));
            }
            items.append(item);
        }
        m_list->addTopLevelItems(items);
        m_list->resizeColumnToContents(0);
        m_list->resizeColumnToContents(1);
        if (const int at = m_model.rowToSelect(); at >= 0 && at < items.size()) {
            m_list->setCurrentItem(items[at]);
        }
    }
}

void TScheduleForm::showDate() {
    m_syncing = true;
    if (m_model.pickerVisible()) {
        m_dateStack->setCurrentWidget(m_dateInput);
        m_dateInput->setDate(toQDate(m_model.viewDate()));
        m_dayLabel->setText(q(m_model.dayLabelText()));
        QPalette palette = m_dayLabel->palette();
        palette.setColor(QPalette::WindowText, toQColor(m_model.dayLabelColour()));
        m_dayLabel->setPalette(palette);
        m_dayLabel->show();
    } else {
        m_dateStack->setCurrentWidget(m_dateLabel);
        m_dateLabel->setText(q(m_model.dateLabelText()));
        m_dayLabel->hide();
    }
    m_syncing = false;
}

void TScheduleForm::syncTreeSelection() {
    const QModelIndex index = m_treeModel->indexOf(m_model.selectedNode());
    if (!index.isValid()) {
        return;
    }
    m_syncing = true;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) {
        m_tree->expand(up);
    }
    m_tree->setCurrentIndex(index);
    m_tree->scrollTo(index);
    m_syncing = false;
}

void TScheduleForm::treeSelectionChanged() {
    if (m_syncing) {
        return;
    }
    const TreeNode* node = ScheduleTreeItemModel::nodeOf(m_tree->currentIndex());
    if (!node || node == m_model.selectedNode()) {
        return;
    }
    m_model.selectNode(node);
    showView();
}

void TScheduleForm::rowDoubleClicked(QTreeWidgetItem* item) {
    const int row = item->data(0, kRowRole).toInt();
    if (m_model.isEntryView()) {
        if (m_model.rows()[static_cast<std::size_t>(row)].parent) {
            m_model.selectNode(m_model.parentNode());
            showView();
        } else {
            editEntry(row);
        }
        return;
    }
    const FolderRow& folder = m_model.folderRows()[static_cast<std::size_t>(row)];
    if (folder.node) {
        m_model.selectNode(folder.node);
        showView();
        m_tree->expand(m_treeModel->indexOf(folder.node));
    }
}

void TScheduleForm::stepDate(bool upper) {
    m_model.stepDate(upper);
    showView();
}

void TScheduleForm::dateTyped() {
    if (m_syncing) {
        return;
    }
    if (const auto date = fromQDate(m_dateInput->date())) {
        m_model.setViewDate(*date);
        showView();
    }
}

std::vector<int> TScheduleForm::selectedRows() const {
    std::vector<int> rows;
    for (QTreeWidgetItem* item : m_list->selectedItems()) {
        rows.push_back(item->data(0, kRowRole).toInt());
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int TScheduleForm::entryRowOf(const QTreeWidgetItem* item) const {
    if (!item || !m_model.isEntryView()) {
        return -1;
    }
    const int row = item->data(0, kRowRole).toInt();
    return m_model.rows()[static_cast<std::size_t>(row)].parent ? -1 : row;
}

void TScheduleForm::addEntry() {
    if (!m_model.isEntryView()) {
        return;
    }
    const EditFormModel editor = m_model.editorForNew();
    TEditForm form(editor.context(), m_context.settings.defaultColours, m_context.settings.editFont == 1, this);
    EntryRow row;
    if (!form.run(row)) {
        return;
    }
    const int at = m_model.addRow(form.model());
    showView();
    if (QTreeWidgetItem* item = m_list->topLevelItem(at)) {
        m_list->setCurrentItem(item);
    }
}

void TScheduleForm::editEntry(int row) {
    const EditFormModel editor = m_model.editorForRow(row);
    TEditForm form(editor.context(), m_context.settings.defaultColours, m_context.settings.editFont == 1, this);
    EntryRow edited = m_model.rows()[static_cast<std::size_t>(row)];
    form.fillFromRow(edited);
    if (!form.run(edited)) {
        return;
    }
    m_model.updateRow(row, form.model());
    showView();
    if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
        m_list->setCurrentItem(item);
    }
}

void TScheduleForm::deleteSelected(bool deleted) {
    if (!m_model.isEntryView()) {
        return;
    }
    const auto rows = selectedRows();
    m_model.setDeleted(rows, deleted);
    showRows();
    for (int row : rows) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            item->setSelected(true);
        }
    }
}

void TScheduleForm::moveSelected(bool up) {
    const auto rows = selectedRows();
    if (rows.size() != 1) {
        return;
    }
    if (const auto moved = m_model.moveRow(rows.front(), up)) {
        showRows();
        QTreeWidgetItem* item = m_list->topLevelItem(*moved);
        m_list->setCurrentItem(item);
        m_list->setFocus();
    }
}

void TScheduleForm::editSelectedText() {
    QTreeWidgetItem* item = m_list->currentItem();
    const int row = entryRowOf(item);
    if (row < 0 || m_textEdit) {
        return;
    }
    // A box of our own over the row: the view's editors commit from their
    // event queue and let Enter through to the window's default button.
    m_textEdit = new QLineEdit(m_list->viewport());
    m_textEdit->setObjectName(QStringLiteral("TextEdit"));
    QRect area = m_list->visualItemRect(item);
    area.setLeft(area.left() + m_list->iconSize().width() + 6);
    area.setWidth(std::max(m_list->columnWidth(0) - m_list->iconSize().width() - 6, 80));
    m_textEdit->setGeometry(area);
    m_textEdit->setFont(item->font(0));
    m_textEdit->setText(item->text(0));
    m_textEdit->selectAll();
    m_textEditRow = row;
    m_okBtn->setDefault(false);
    m_textEdit->installEventFilter(this);
    m_textEdit->show();
    m_textEdit->setFocus();
}

void TScheduleForm::finishTextEdit(bool apply) {
    if (!m_textEdit) {
        return;
    }
    // Taken first: a refusal's message box takes the focus from the box again.
    QLineEdit* box = std::exchange(m_textEdit, nullptr);
    box->removeEventFilter(this);
    const int row = m_textEditRow;
    if (apply) {
        m_model.retitleRow(row, s(box->text()));
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            item->setText(0, q(m_model.rows()[static_cast<std::size_t>(row)].caption));
        }
        m_list->setColumnWidth(0, std::max(m_list->columnWidth(0), m_model.firstColumnWidth()));
    }
    box->hide();
    box->setObjectName(QString());
    box->deleteLater();
    m_okBtn->setDefault(true);
    m_list->setFocus();
}

void TScheduleForm::cutSelected() {
    const auto rows = selectedRows();
    m_model.cutRows(rows);
    showRows();
    for (int row : rows) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            item->setSelected(true);
        }
    }
}

void TScheduleForm::copySelected() {
    m_model.copyRows(selectedRows());
}

void TScheduleForm::pasteRows() {
    const auto pasted = m_model.paste();
    if (pasted.empty()) {
        return;
    }
    showRows();
    m_list->clearSelection();
    for (int row : pasted) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            item->setSelected(true);
        }
    }
}

void TScheduleForm::copyToFollowingDays(int days) {
    m_model.copyToFollowingDays(selectedRows(), days);
}

void TScheduleForm::openSearch(bool fromHere) {
    finishTextEdit(true);
    if (!m_findForm) {
        m_findForm = new TFindForm(this);
        m_findForm->onFindNext = [this] { findNext(); };
        m_findForm->onClosed = [this] {
            m_model.search().stop();
            m_okBtn->setEnabled(true);
        };
    }
    if (fromHere) {
        const int row = entryRowOf(m_list->currentItem());
        m_findForm->setFindText(row >= 0 ? q(m_model.rows()[static_cast<std::size_t>(row)].caption) : QString());
        m_model.startSearchHere();
    } else {
        m_model.startSearchAll();
    }
    m_okBtn->setEnabled(false);
    m_list->clearSelection();
    m_findForm->show();
    m_findForm->raise();
    m_findForm->activateWindow();
}

void TScheduleForm::findNext() {
    if (!m_findForm) {
        return;
    }
    const int row = m_model.findNext(s(m_findForm->findText()), m_findForm->matchCase());
    showView();
    m_list->clearSelection();
    if (row >= 0) {
        if (QTreeWidgetItem* item = m_list->topLevelItem(row)) {
            m_list->setCurrentItem(item);
            m_list->scrollToItem(item);
        }
    }
    m_tree->viewport()->update();
    m_findForm->raise();
    m_findForm->activateWindow();
}

void TScheduleForm::deleteUnderSelectedNode(bool upTo) {
    finishTextEdit(true);
    const TreeNode* node = m_model.selectedNode();
    if (upTo) {
        m_model.deleteUpTo(node);
    } else {
        m_model.deleteUnderNode(node);
    }
    showView();
}

} // namespace velmora
