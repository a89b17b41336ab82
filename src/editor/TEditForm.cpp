#include "editor/TEditForm.h"

#include "core/DateText.h"
#include "core/NameValueList.h"
#include "render/QtCanvas.h"
#include "widgets/MaskedDateEdit.h"
#include "widgets/SpinEdit.h"
#include "widgets/TCPanel.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QDateEdit>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFontDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace velmora {

namespace {

QString q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QColor shownColour(Colour colour) {
    return toQColor(resolveColour(colour));
}

QDate toQDate(DateValue d) {
    const CivilDate c = d.date();
    return QDate(c.year, c.month, c.day);
}

DateValue fromQDate(const QDate& d) {
    return DateValue::fromDate(d.year(), d.month(), d.day()).value_or(DateValue());
}

// The description box holds its lines without the line end after the last;
// the model keeps every line ended, as the supplement file does.
std::string descriptionOf(const QString& shown) {
    std::string text = shown.toStdString();
    if (!text.empty() && text.back() != '\n') {
        text += '\n';
    }
    return text;
}

QString shownDescription(const std::string& text) {
    QString shown = q(text);
    if (shown.endsWith(u'\n')) {
        shown.chop(1);
    }
    return shown;
}

QCheckBox* checkBox(const QString& caption, const char* name, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    return box;
}

// A group of radio buttons "<name>Item0".. in a column, numbered in order.
QButtonGroup* radioColumn(QGroupBox* group, const QStringList& captions) {
    auto* buttons = new QButtonGroup(group);
    auto* layout = new QVBoxLayout(group);
    for (int i = 0; i < captions.size(); ++i) {
        auto* radio = new QRadioButton(captions[i], group);
        radio->setObjectName(group->objectName() + QStringLiteral("Item") + QString::number(i));
        buttons->addButton(radio, i);
        layout->addWidget(radio);
    }
    return buttons;
}

} // namespace

TEditForm::TEditForm(EditFormContext context, NameValueList& defaultColours, bool editFont, QWidget* parent)
    : QDialog(parent), m_model(std::move(context)), m_defaultColours(defaultColours), m_editFont(editFont) {
    setWindowTitle(QStringLiteral("Velmora Ver.6.82"));
    setObjectName(QStringLiteral("EditForm"));
    setAcceptDrops(true);
    m_palette.load(defaultColours);

    m_pages = new QTabWidget(this);
    m_pages->setObjectName(QStringLiteral("PageControl"));
    m_pages->addTab(buildBasicPage(), QStringLiteral("予定の基本内容"));
    m_pages->addTab(buildDetailPage(), QStringLiteral("その他詳細情報"));

    m_okBtn = new QPushButton(QStringLiteral("OK"), this);
    m_okBtn->setObjectName(QStringLiteral("OkBtn"));
    m_okBtn->setDefault(true);
    m_cancelBtn = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    m_cancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_okBtn);
    buttons->addWidget(m_cancelBtn);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pages);
    layout->addLayout(buttons);

    const auto captions = m_model.patternCaptions();
    for (int i = 0; i < 4; ++i) {
        m_pattern->button(i)->setText(q(captions[static_cast<std::size_t>(i)]));
    }
    m_ptnGrp->setVisible(m_model.patternChoiceVisible());
    m_ptnGrp->setTitle(q(m_model.patternGroupCaption()));
    m_ptnGrp->setEnabled(m_model.patternChoiceEnabled());
    for (int i = 0; i < 6; ++i) {
        m_outPatterns[static_cast<std::size_t>(i)]->setText(q(m_model.outPatternCaption(i)));
    }
    for (int i = 0; i < ColourPalette::kCount; ++i) {
        m_swatches[static_cast<std::size_t>(i)]->setColor(shownColour(m_palette.swatch(i)));
    }
    connectControls();
    showValues();
    showFont();
}

QWidget* TEditForm::buildBasicPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    m_scheduleEdit = new QLineEdit(page);
    m_scheduleEdit->setObjectName(QStringLiteral("ScheduleEdit"));
    grid->addWidget(m_scheduleEdit, 0, 0, 1, 3);

    // Left column: the repetition and the weeks and days it applies to.
    auto* left = new QVBoxLayout;
    m_ptnGrp = new QGroupBox(QStringLiteral("スケジュールパターン"), page);
    m_ptnGrp->setObjectName(QStringLiteral("PtnGrp"));
    m_pattern = radioColumn(m_ptnGrp, {QStringLiteral("当日の予定"), QStringLiteral("毎週の予定"),
                                       QStringLiteral("毎月の予定"), QStringLiteral("毎年の予定")});
    left->addWidget(m_ptnGrp);

    m_weekGroup = new QGroupBox(QStringLiteral("曜日回次"), page);
    m_weekGroup->setObjectName(QStringLiteral("WeekGroup"));
    auto* weeks = new QGridLayout(m_weekGroup);
    const QStringList weekCaptions{QStringLiteral("第一"), QStringLiteral("第二"), QStringLiteral("第三"),
                                   QStringLiteral("第四"), QStringLiteral("第五")};
    for (int i = 0; i < 5; ++i) {
        const QByteArray name = "Day" + QByteArray::number(i + 1) + "Chk";
        m_weeks[static_cast<std::size_t>(i)] = checkBox(weekCaptions[i], name.constData(), m_weekGroup);
        weeks->addWidget(m_weeks[static_cast<std::size_t>(i)], i / 3, i % 3);
    }
    left->addWidget(m_weekGroup);

    m_avoidGroup = new QGroupBox(QStringLiteral("変更対象日"), page);
    m_avoidGroup->setObjectName(QStringLiteral("AvoidGroup"));
    auto* avoid = new QVBoxLayout(m_avoidGroup);
    m_avoid[0] = checkBox(QStringLiteral("土曜日なら"), "SatChk", m_avoidGroup);
    m_avoid[1] = checkBox(QStringLiteral("日曜日なら"), "SunChk", m_avoidGroup);
    m_avoid[2] = checkBox(QStringLiteral("祝祭日なら"), "HoliChk", m_avoidGroup);
    for (QCheckBox* box : m_avoid) {
        avoid->addWidget(box);
    }
    left->addWidget(m_avoidGroup);
    left->addStretch(1);
    grid->addLayout(left, 1, 0);

    // Middle column: how the entry moves, and how it looks.
    auto* middle = new QVBoxLayout;
    m_chgGrp = new QGroupBox(QStringLiteral("変更指定"), page);
    m_chgGrp->setObjectName(QStringLiteral("ChgGrp"));
    m_shift = radioColumn(m_chgGrp,
                          {QStringLiteral("前日に変更"), QStringLiteral("翌日に変更"), QStringLiteral("無条件で前日に"),
                           QStringLiteral("無条件で翌日に"), QStringLiteral("キャンセルする")});
    middle->addWidget(m_chgGrp);

    auto* looks = new QGroupBox(QStringLiteral("色・フォント"), page);
    auto* looksLayout = new QVBoxLayout(looks);
    m_colorPanel = new TCPanel(QStringLiteral("色指定"), looks);
    m_colorPanel->setObjectName(QStringLiteral("ColorPanel"));
    m_colorPanel->setFocusPolicy(Qt::StrongFocus);
    m_colorPanel->setMinimumHeight(m_colorPanel->fontMetrics().height() * 2);
    m_colorPanel->setToolTip(QStringLiteral("クリックで色を選択"));
    looksLayout->addWidget(m_colorPanel);
    auto* swatches = new QGridLayout;
    swatches->setSpacing(3);
    const int side = m_colorPanel->fontMetrics().height() + 4;
    for (int i = 0; i < ColourPalette::kCount; ++i) {
        auto* swatch = new TCPanel(QString(), looks);
        swatch->setObjectName(QStringLiteral("Swatch") + QString::number(i));
        swatch->setFixedSize(side, side);
        if (i < 9) {
            swatch->setToolTip(QStringLiteral("右クリックで色を変更"));
        }
        m_swatches[static_cast<std::size_t>(i)] = swatch;
        swatches->addWidget(swatch, i / 6, i % 6);
    }
    looksLayout->addLayout(swatches);
    m_fontChange = new QPushButton(QStringLiteral("ABCabcあいうえお"), looks);
    m_fontChange->setObjectName(QStringLiteral("FontChange"));
    looksLayout->addWidget(m_fontChange);
    m_fontName = new QLabel(looks);
    m_fontName->setObjectName(QStringLiteral("FontNameLabel"));
    looksLayout->addWidget(m_fontName);
    middle->addWidget(looks);
    middle->addStretch(1);
    grid->addLayout(middle, 1, 1);

    // Right column: the reminder and the output patterns.
    auto* right = new QVBoxLayout;
    auto* popup = new QGroupBox(QStringLiteral("ポップアップの指定"), page);
    popup->setObjectName(QStringLiteral("RadioGroup1"));
    m_reminder = radioColumn(popup, {QStringLiteral("ポップアップなし"), QStringLiteral("毎日起動時にポップアップ"),
                                     QStringLiteral("指定日の起動時にポップアップ"),
                                     QStringLiteral("毎日指定時刻にポップアップ"),
                                     QStringLiteral("指定日の指定時刻にポップアップ")});
    auto* popupLayout = static_cast<QVBoxLayout*>(popup->layout());
    m_warningChk = checkBox(QStringLiteral("ポップアップ時に音"), "WarningChk", popup);
    popupLayout->addWidget(m_warningChk);
    auto* time = new QHBoxLayout;
    m_hour = new SpinEdit(0, 23, 0, popup);
    m_hour->setObjectName(QStringLiteral("TimeSpinEdit"));
    m_hour->setDigits(2);
    m_hourLabel = new QLabel(QStringLiteral("時"), popup);
    m_hourLabel->setBuddy(m_hour);
    m_minute = new SpinEdit(0, 59, 0, popup);
    m_minute->setObjectName(QStringLiteral("MinSpinEdit"));
    m_minute->setDigits(2);
    m_minuteLabel = new QLabel(QStringLiteral("分"), popup);
    m_minuteLabel->setBuddy(m_minute);
    time->addWidget(m_hour);
    time->addWidget(m_hourLabel);
    time->addWidget(m_minute);
    time->addWidget(m_minuteLabel);
    time->addStretch(1);
    popupLayout->addLayout(time);
    right->addWidget(popup);

    auto* output = new QGroupBox(QStringLiteral("出力パターン選択"), page);
    output->setObjectName(QStringLiteral("OutPtnGroup"));
    auto* outputLayout = new QGridLayout(output);
    for (int i = 0; i < 6; ++i) {
        const QByteArray name = "OutPtn" + QByteArray::number(i + 1);
        m_outPatterns[static_cast<std::size_t>(i)] = checkBox(QString(), name.constData(), output);
        outputLayout->addWidget(m_outPatterns[static_cast<std::size_t>(i)], i / 2, i % 2);
    }
    right->addWidget(output);
    right->addStretch(1);
    grid->addLayout(right, 1, 2);
    return page;
}

QWidget* TEditForm::buildDetailPage() {
    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);

    auto* secretLabel = new QLabel(QStringLiteral("補足説明"), page);
    grid->addWidget(secretLabel, 0, 0, 1, 3);
    m_secretEdit = new QPlainTextEdit(page);
    m_secretEdit->setObjectName(QStringLiteral("SecretEdit"));
    m_secretEdit->setTabChangesFocus(true);
    m_secretEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    m_secretEdit->setToolTip(QStringLiteral("Ctrl+Enter で OK"));
    secretLabel->setBuddy(m_secretEdit);
    grid->addWidget(m_secretEdit, 1, 0, 1, 3);
    m_secretMenu = new QMenu(this);
    m_secretMenu->setObjectName(QStringLiteral("SecretMenu"));
    auto* exec = m_secretMenu->addAction(QStringLiteral("実行ファイルの選択"));
    exec->setObjectName(QStringLiteral("ExecFileItem"));
    auto* paste = m_secretMenu->addAction(QStringLiteral("貼り付け(&P)"));
    paste->setObjectName(QStringLiteral("PasteItem"));
    connect(exec, &QAction::triggered, this, [this] { chooseProgramFile(); });
    connect(paste, &QAction::triggered, m_secretEdit, &QPlainTextEdit::paste);
    connect(m_secretEdit, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        m_secretMenu->actions()[1]->setEnabled(m_secretEdit->canPaste());
        m_secretMenu->exec(m_secretEdit->mapToGlobal(at));
    });

    // Left: the period and the two flags.
    auto* left = new QVBoxLayout;
    auto* period = new QGroupBox(QStringLiteral("適用期間"), page);
    auto* periodLayout = new QGridLayout(period);
    m_fromChk = checkBox(QStringLiteral("適用開始日指定"), "FromChk", period);
    m_fromDate = new MaskedDateEdit(period);
    m_fromDate->setObjectName(QStringLiteral("DateEdit1"));
    m_toChk = checkBox(QStringLiteral("適用終了日指定"), "ToChk", period);
    m_toDate = new MaskedDateEdit(period);
    m_toDate->setObjectName(QStringLiteral("DateEdit2"));
    periodLayout->addWidget(m_fromChk, 0, 0);
    periodLayout->addWidget(m_fromDate, 0, 1);
    periodLayout->addWidget(m_toChk, 1, 0);
    periodLayout->addWidget(m_toDate, 1, 1);
    auto* hoseiLabel = new QLabel(QStringLiteral("適用補正日程"), period);
    m_hosei = new SpinEdit(-7, 7, 0, period);
    m_hosei->setObjectName(QStringLiteral("HoseiSpin"));
    hoseiLabel->setBuddy(m_hosei);
    periodLayout->addWidget(hoseiLabel, 2, 0);
    periodLayout->addWidget(m_hosei, 2, 1, Qt::AlignLeft);
    left->addWidget(period);
    m_holidayChk = checkBox(QStringLiteral("休日扱いにする"), "HolidayChk", page);
    m_popOnlyChk = checkBox(QStringLiteral("描き込みなし"), "PopOnlyChk", page);
    m_popOnlyChk->setToolTip(QStringLiteral("カレンダーには描かず、ポップアップだけにします"));
    left->addWidget(m_holidayChk);
    left->addWidget(m_popOnlyChk);
    left->addStretch(1);
    grid->addLayout(left, 2, 0);

    m_monthGroup = new QGroupBox(QStringLiteral("適用月の指定"), page);
    m_monthGroup->setObjectName(QStringLiteral("MonthGroup"));
    auto* months = new QGridLayout(m_monthGroup);
    const QString digits = QStringLiteral("０１２３４５６７８９");
    for (int m = 1; m <= 12; ++m) {
        QString caption;
        for (const QChar c : QString::number(m)) {
            caption += digits[c.digitValue()];
        }
        const QByteArray name = "M" + QByteArray::number(m) + "Check";
        auto* box = checkBox(caption + QStringLiteral("月"), name.constData(), m_monthGroup);
        m_months[static_cast<std::size_t>(m - 1)] = box;
        months->addWidget(box, (m - 1) / 3, (m - 1) % 3);
    }
    grid->addWidget(m_monthGroup, 2, 1, Qt::AlignTop);

    auto* interval = new QGroupBox(QStringLiteral("適用間隔の指定"), page);
    interval->setObjectName(QStringLiteral("IntervalGroup"));
    auto* intervalLayout = new QGridLayout(interval);
    m_intWeeks = new SpinEdit(0, 100, 0, interval);
    m_intWeeks->setObjectName(QStringLiteral("IntWeekSpin"));
    m_intMonths = new SpinEdit(0, 80, 0, interval);
    m_intMonths->setObjectName(QStringLiteral("IntMonthSpin"));
    m_intYears = new SpinEdit(0, 1500, 0, interval);
    m_intYears->setObjectName(QStringLiteral("IntYearSpin"));
    const std::array<std::pair<SpinEdit*, QString>, 3> spins{{{m_intWeeks, QStringLiteral("週おきに適用")},
                                                              {m_intMonths, QStringLiteral("月おきに適用")},
                                                              {m_intYears, QStringLiteral("年おきに適用")}}};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(spins[static_cast<std::size_t>(i)].second, interval);
        label->setBuddy(spins[static_cast<std::size_t>(i)].first);
        intervalLayout->addWidget(spins[static_cast<std::size_t>(i)].first, i, 0);
        intervalLayout->addWidget(label, i, 1);
    }
    auto* baseLabel = new QLabel(QStringLiteral("基準日"), interval);
    m_intBase = new QDateEdit(interval);
    m_intBase->setObjectName(QStringLiteral("IntBaseDate"));
    m_intBase->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_intBase->setCalendarPopup(true);
    m_intBase->setDateRange(QDate(kMinYear, 1, 1), QDate(kMaxYear, 12, 31));
    baseLabel->setBuddy(m_intBase);
    intervalLayout->addWidget(baseLabel, 3, 1);
    intervalLayout->addWidget(m_intBase, 3, 0);
    grid->addWidget(interval, 2, 2, Qt::AlignTop);
    grid->setRowStretch(1, 1);
    return page;
}

void TEditForm::connectControls() {
    // Every change goes to the model, whose rules may change other controls:
    // show all of its values again afterwards.
    auto change = [this](auto&& apply) {
        return [this, apply](auto&&...) {
            if (m_showing) {
                return;
            }
            apply();
            showValues();
        };
    };
    connect(m_scheduleEdit, &QLineEdit::textEdited, this,
            change([this] { m_model.setText(m_scheduleEdit->text().toStdString()); }));
    connect(m_pattern, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_showing) {
            m_model.setPattern(static_cast<EditPattern>(id));
            showValues();
        }
    });
    for (int i = 0; i < 5; ++i) {
        connect(m_weeks[static_cast<std::size_t>(i)], &QCheckBox::toggled, this,
                change([this, i] { m_model.setWeek(i, m_weeks[static_cast<std::size_t>(i)]->isChecked()); }));
    }
    for (int i = 0; i < 3; ++i) {
        connect(m_avoid[static_cast<std::size_t>(i)], &QCheckBox::toggled, this, change([this, i] {
                    m_model.setAvoid(static_cast<AvoidDay>(i), m_avoid[static_cast<std::size_t>(i)]->isChecked());
                }));
    }
    connect(m_shift, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_showing) {
            m_model.setShiftChoice(id);
            showValues();
        }
    });
    connect(m_hosei, &QSpinBox::valueChanged, this, change([this] { m_model.setOffset(m_hosei->value()); }));
    for (int m = 1; m <= 12; ++m) {
        connect(m_months[static_cast<std::size_t>(m - 1)], &QCheckBox::toggled, this,
                change([this, m] { m_model.setMonth(m, m_months[static_cast<std::size_t>(m - 1)]->isChecked()); }));
    }
    m_colorPanel->onClicked = [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) {
            chooseColour();
        }
    };
    for (int i = 0; i < ColourPalette::kCount; ++i) {
        m_swatches[static_cast<std::size_t>(i)]->onClicked = [this, i](Qt::MouseButton button) {
            if (button == Qt::LeftButton) {
                m_model.setColour(m_palette.swatch(i));
                showValues();
            } else if (button == Qt::RightButton && i < 9) {
                chooseSwatchColour(i);
            }
        };
    }
    connect(m_popOnlyChk, &QCheckBox::toggled, this, change([this] { m_model.setPopOnly(m_popOnlyChk->isChecked()); }));
    connect(m_fontChange, &QPushButton::clicked, this, [this] { chooseFont(); });
    connect(m_reminder, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked && !m_showing) {
            m_model.setReminder(static_cast<ReminderChoice>(id));
            showValues();
        }
    });
    connect(m_warningChk, &QCheckBox::toggled, this, change([this] { m_model.setSound(m_warningChk->isChecked()); }));
    auto setTime = change([this] { m_model.setTime(m_hour->value(), m_minute->value()); });
    connect(m_hour, &QSpinBox::valueChanged, this, setTime);
    connect(m_minute, &QSpinBox::valueChanged, this, setTime);
    for (int i = 0; i < 6; ++i) {
        connect(m_outPatterns[static_cast<std::size_t>(i)], &QCheckBox::toggled, this, change([this, i] {
                    m_model.setOutPattern(i, m_outPatterns[static_cast<std::size_t>(i)]->isChecked());
                }));
    }
    connect(m_secretEdit, &QPlainTextEdit::textChanged, this,
            change([this] { m_model.setDescription(descriptionOf(m_secretEdit->toPlainText())); }));
    m_secretEdit->installEventFilter(this);
    connect(m_fromChk, &QCheckBox::toggled, this, [this](bool checked) {
        if (m_showing) {
            return;
        }
        m_model.setFromChecked(checked);
        showValues();
        if (checked && isVisible()) {
            m_fromDate->setFocus();
        }
    });
    connect(m_toChk, &QCheckBox::toggled, this, [this](bool checked) {
        if (m_showing) {
            return;
        }
        m_model.setToChecked(checked);
        showValues();
        if (checked && isVisible()) {
            m_toDate->setFocus();
        }
    });
    connect(m_fromDate, &QLineEdit::textChanged, this,
            change([this] { m_model.setFromDate(m_fromDate->dateText().toStdString()); }));
    connect(m_toDate, &QLineEdit::textChanged, this,
            change([this] { m_model.setToDate(m_toDate->dateText().toStdString()); }));
    connect(m_holidayChk, &QCheckBox::toggled, this,
            change([this] { m_model.setHolidayFlag(m_holidayChk->isChecked()); }));
    auto setInterval =
        change([this] { m_model.setInterval(m_intWeeks->value(), m_intMonths->value(), m_intYears->value()); });
    connect(m_intWeeks, &QSpinBox::valueChanged, this, setInterval);
    connect(m_intMonths, &QSpinBox::valueChanged, this, setInterval);
    connect(m_intYears, &QSpinBox::valueChanged, this, setInterval);
    connect(m_intBase, &QDateEdit::dateChanged, this,
            change([this] { m_model.setIntervalBase(fromQDate(m_intBase->date())); }));
    connect(m_okBtn, &QPushButton::clicked, this, [this] { tryAccept(); });
    connect(m_cancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TEditForm::showValues() {
    m_showing = true;
    const EditFormValues& v = m_model.values();
    if (m_scheduleEdit->text() != q(v.text)) {
        m_scheduleEdit->setText(q(v.text));
    }
    m_pattern->button(static_cast<int>(v.pattern))->setChecked(true);
    for (std::size_t i = 0; i < 5; ++i) {
        m_weeks[i]->setChecked(v.weeks[i]);
    }
    for (std::size_t i = 0; i < 3; ++i) {
        m_avoid[i]->setChecked(v.avoid[i]);
    }
    if (QAbstractButton* shift = m_shift->button(v.shiftChoice)) {
        shift->setChecked(true);
    }
    m_hosei->setValue(v.offset);
    for (std::size_t i = 0; i < 12; ++i) {
        m_months[i]->setChecked(v.months[i]);
    }
    m_colorPanel->setColor(shownColour(v.colour));
    m_popOnlyChk->setChecked(v.popOnly);
    m_reminder->button(static_cast<int>(v.reminder))->setChecked(true);
    m_warningChk->setChecked(v.sound);
    m_hour->setValue(v.hour);
    m_minute->setValue(v.minute);
    for (std::size_t i = 0; i < 6; ++i) {
        m_outPatterns[i]->setChecked(v.outPatterns[i]);
        m_outPatterns[i]->setEnabled(m_model.outPatternsEnabled());
    }
    if (descriptionOf(m_secretEdit->toPlainText()) != v.description) {
        m_secretEdit->setPlainText(shownDescription(v.description));
    }
    m_fromChk->setChecked(m_model.fromChecked());
    m_toChk->setChecked(m_model.toChecked());
    // Only a text the model changed is set again, or typing would lose its place.
    if (m_fromDate->dateText().toStdString() != v.fromDate) {
        m_fromDate->setDateText(q(v.fromDate));
    }
    if (m_toDate->dateText().toStdString() != v.toDate) {
        m_toDate->setDateText(q(v.toDate));
    }
    m_fromDate->setEnabled(m_model.fromChecked());
    m_toDate->setEnabled(m_model.toChecked());
    m_holidayChk->setChecked(v.holidayFlag);
    m_intWeeks->setValue(v.intervalWeeks);
    m_intMonths->setValue(v.intervalMonths);
    m_intYears->setValue(v.intervalYears);
    m_intBase->setDate(toQDate(v.intervalBase));

    m_weekGroup->setEnabled(m_model.weeksEnabled());
    m_avoidGroup->setEnabled(m_model.shiftEnabled());
    m_chgGrp->setEnabled(m_model.shiftEnabled());
    m_monthGroup->setEnabled(m_model.monthsEnabled());
    m_warningChk->setEnabled(m_model.soundEnabled());
    for (QWidget* w : {static_cast<QWidget*>(m_hour), static_cast<QWidget*>(m_hourLabel),
                       static_cast<QWidget*>(m_minute), static_cast<QWidget*>(m_minuteLabel)}) {
        w->setVisible(m_model.timeVisible());
    }
    m_showing = false;
}

void TEditForm::showFont() {
    const QString face = q(m_model.values().fontName);
    QFont font = m_fontChange->font();
    font.setFamily(face);
    m_fontChange->setFont(font);
    m_fontName->setText(face);
    if (m_editFont) {
        for (QWidget* box : {static_cast<QWidget*>(m_scheduleEdit), static_cast<QWidget*>(m_secretEdit)}) {
            QFont boxFont = box->font();
            boxFont.setFamily(face);
            box->setFont(boxFont);
        }
    }
}

void TEditForm::fillFromRow(const EntryRow& row) {
    m_model.fillFromRow(row);
    showValues();
    showFont();
}

bool TEditForm::run(EntryRow& row) {
    m_pages->setCurrentIndex(0);
    m_scheduleEdit->setFocus();
    raise();
    activateWindow();
    if (exec() != QDialog::Accepted) {
        return false;
    }
    m_model.writeToRow(row);
    return true;
}

void TEditForm::done(int result) {
    // The swatches are kept however the dialog closes.
    m_palette.store(m_defaultColours);
    QDialog::done(result);
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_secretEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && (key->modifiers() & Qt::ControlModifier)) {
            tryAccept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TEditForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void TEditForm::dropEvent(QDropEvent* event) {
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    appendExecLines(paths);
    event->acceptProposedAction();
}

void TEditForm::chooseColour() {
    const QColor chosen = QColorDialog::getColor(m_colorPanel->color(), this, QStringLiteral("色指定"));
    if (!chosen.isValid()) {
        return;
    }
    const Colour colour = colourOf(chosen);
    m_model.setColour(colour);
    m_palette.remember(colour);
    for (int i = 0; i < ColourPalette::kCount; ++i) {
        m_swatches[static_cast<std::size_t>(i)]->setColor(shownColour(m_palette.swatch(i)));
    }
    showValues();
}

void TEditForm::chooseSwatchColour(int index) {
    TCPanel* swatch = m_swatches[static_cast<std::size_t>(index)];
    if (!swatch->chooseColor(QStringLiteral("色指定"))) {
        return;
    }
    const Colour colour = colourOf(swatch->color());
    m_palette.setSwatch(index, colour);
    m_model.setColour(colour);
    showValues();
}

void TEditForm::chooseFont() {
    bool ok = false;
    QFont current = m_fontChange->font();
    const QFont chosen = QFontDialog::getFont(&ok, current, this, QStringLiteral("フォントの指定"));
    if (!ok) {
        return;
    }
    // The face name is stored in the schedule file, which holds CP932 only.
    const std::string face = chosen.family().toStdString();
    if (const auto message = unencodableTextMessage(face, "フォント名")) {
        QMessageBox::warning(this, QStringLiteral("Velmora"), q(*message));
        return;
    }
    m_model.setFontName(face);
    showFont();
}

void TEditForm::chooseProgramFile() {
    QFileDialog dialog(this, QStringLiteral("実行ファイルの選択"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("ExecFileDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    // Programs here have no ".exe", and a reminder opens documents as well.
    dialog.setNameFilter(QStringLiteral("ﾌﾟﾛｸﾞﾗﾑ (*)"));
    // The toolkit's own dialog: it speaks Japanese with the program's translations.
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() == QDialog::Accepted) {
        appendExecLines(dialog.selectedFiles());
    }
}

void TEditForm::appendExecLines(const QStringList& paths) {
    if (paths.isEmpty()) {
        return;
    }
    for (const QString& path : paths) {
        m_model.appendExecLine(path.toStdString());
    }
    showValues();
}

void TEditForm::tryAccept() {
    const auto refusal = m_model.validate();
    if (!refusal) {
        accept();
        return;
    }
    // Take the user to the box the message is about.
    QWidget* box = m_scheduleEdit;
    const EditFormValues& v = m_model.values();
    if (!trimmed(v.text).empty() && !unencodableTextMessage(v.text, "予定")) {
        box = unencodableTextMessage(v.description, "補足説明") ? static_cast<QWidget*>(m_secretEdit)
              : !m_fromDate->isAcceptable()                     ? static_cast<QWidget*>(m_fromDate)
                                                                : static_cast<QWidget*>(m_toDate);
    }
    QMessageBox::warning(this, QStringLiteral("Velmora"), q(*refusal));
    m_pages->setCurrentWidget(box == m_scheduleEdit ? m_pages->widget(0) : m_pages->widget(1));
    box->setFocus();
}

} // namespace velmora
