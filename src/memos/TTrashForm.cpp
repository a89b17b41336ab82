#include "memos/TTrashForm.h"

#include <QAction>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

QString q(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

TTrashForm::TTrashForm(MemoStore& store, UserFeedback& feedback, MemoDrawer::TrashFunction trash, QWidget* parent)
    : QDialog(parent), m_model(store, feedback, std::move(trash)) {
    setObjectName(QStringLiteral("TrashForm"));
    setWindowTitle(QStringLiteral("Velmora Ver.6.82"));
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setModal(true);
    resize(520, 320);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("TrashList"));
    m_list->setColumnCount(1);
    m_list->setHeaderHidden(true);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setContextMenuPolicy(Qt::CustomContextMenu);

    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("TrashMemo"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memoFont = m_memo->font();

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->addWidget(m_list);
    m_splitter->addWidget(m_memo);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setCollapsible(0, false);
    m_splitter->setSizes({170, 350});

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setObjectName(QStringLiteral("BitBtn1"));
    // Enter on the list would otherwise close the drawer by accident.
    m_ok->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_splitter, 1);
    layout->addLayout(buttons);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("TrashMenu"));
    const auto item = [this](const char* name, const char* text, const QKeySequence& key) {
        QAction* a = m_menu->addAction(QString::fromUtf8(text));
        a->setObjectName(QString::fromUtf8(name));
        a->setShortcut(key);
        // The keys work without the menu open, anywhere in the window.
        addAction(a);
        return a;
    };
    m_revive = item("Revive", "引き出しから出す", QKeySequence(Qt::Key_Insert));
    m_delete = item("Delete", "引き出しから削除", QKeySequence(Qt::Key_Delete));
    m_cancel = item("Cancel", "削除取り消し", QKeySequence(Qt::SHIFT | Qt::Key_Insert));

    connect(m_revive, &QAction::triggered, this, &TTrashForm::reviveSelected);
    connect(m_delete, &QAction::triggered, this, &TTrashForm::markSelected);
    connect(m_cancel, &QAction::triggered, this, &TTrashForm::unmarkSelected);
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] {
        showSelected();
        updateActions();
    });
    connect(m_list, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { m_menu->popup(m_list->viewport()->mapToGlobal(at)); });
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    updateActions();
}

void TTrashForm::showEvent(QShowEvent* event) {
    // A window restored from the task bar is the same visit: its marks stay.
    if (!event->spontaneous()) {
        m_model.load();
        fillList();
    }
    QDialog::showEvent(event);
}

void TTrashForm::done(int result) {
    QDialog::done(result);
    m_list->clear();
    m_memo->clear();
    m_model.close();
    updateActions();
}

void TTrashForm::fillList() {
    m_list->clear();
    m_memo->clear();
    for (int i = 0; i < m_model.size(); ++i) {
        m_list->addTopLevelItem(new QTreeWidgetItem(m_list));
        showRow(i);
    }
    if (m_model.size() > 0) {
        m_list->setFocus();
        selectRow(0);
    }
    updateActions();
}

void TTrashForm::showRow(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    item->setText(0, q(m_model.displayCaption(row)));
    // A marked memo looks cut, as a file waiting to go.
    item->setForeground(0, m_model.item(row).marked ? palette().brush(QPalette::Disabled, QPalette::Text)
                                                    : palette().brush(QPalette::Active, QPalette::Text));
}

void TTrashForm::showSelected() {
    const int row = selectedRow();
    if (row < 0) {
        m_memo->clear();
        return;
    }
    const DrawerItem& shown = m_model.item(row);
    QFont font = m_memoFont;
    if (!shown.fontName.empty()) {
        font.setFamily(q(shown.fontName));
    }
    m_memo->setFont(font);
    m_memo->setPlainText(q(shown.content));
}

void TTrashForm::updateActions() {
    const int row = selectedRow();
    const bool marked = row >= 0 && m_model.item(row).marked;
    m_revive->setEnabled(m_model.canRevive(row));
    m_delete->setEnabled(row >= 0 && !marked);
    m_cancel->setEnabled(marked);
}

int TTrashForm::selectedRow() const {
    QTreeWidgetItem* current = m_list->currentItem();
    const int row = current ? m_list->indexOfTopLevelItem(current) : -1;
    return row < m_model.size() ? row : -1;
}

void TTrashForm::selectRow(int row) {
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    m_list->setCurrentItem(item);
    if (item) {
        item->setSelected(true);
    }
}

void TTrashForm::reviveSelected() {
    const int row = selectedRow();
    const auto memoFile = m_model.revive(row);
    if (!memoFile) {
        return;
    }
    {
        // The list's own idea of the next current row counts rows the model no longer has.
        const QSignalBlocker quiet(m_list);
        delete m_list->takeTopLevelItem(row);
    }
    m_memo->clear();
    m_list->setFocus();
    selectRow(0);
    showSelected();
    updateActions();
    if (onRevived) {
        onRevived(*memoFile);
    }
}

void TTrashForm::markSelected() {
    const int row = selectedRow();
    if (m_model.mark(row)) {
        showRow(row);
        updateActions();
    }
}

void TTrashForm::unmarkSelected() {
    const int row = selectedRow();
    if (m_model.unmark(row)) {
        showRow(row);
        updateActions();
    }
}

} // namespace velmora
