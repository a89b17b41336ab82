#include "editor/TNenGetsuForm.h"

#include "core/DateText.h"

#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

const DateValue kToday = *parseDate("2026/12/08");

// Acts on the picker once it shows, then lets `ask` return.
template <typename Act> std::optional<DateValue> askAndDo(TNenGetsuForm& form, bool yearOnly, Act act) {
    QTimer::singleShot(0, &form, [&] { act(form); });
    return form.ask(2024, 5, yearOnly, QRect(100, 40, 1000, 600), kToday);
}

} // namespace

TEST(TNenGetsuForm, ChoosesAYearAndMonth) {
    TNenGetsuForm form;
    const auto chosen = askAndDo(form, false, [](TNenGetsuForm& f) {
        EXPECT_EQ(f.NenSpinEdit->value(), 2024);
        EXPECT_EQ(f.Button1->text(), "今月");
        f.NenSpinEdit->setValue(2030);
        f.TsukiSpinEdit->setValue(11);
        QTest::mouseClick(f.OkBtn, Qt::LeftButton);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(formatDate(*chosen), "2030/11/01");
    EXPECT_EQ(form.y(), 40) << "at the top of the calendar area";
    EXPECT_EQ(form.x(), 100 + (1000 - form.width()) / 2);
}

TEST(TNenGetsuForm, ThisYearWithTheMonthHidden) {
    TNenGetsuForm form;
    const auto chosen = askAndDo(form, true, [](TNenGetsuForm& f) {
        EXPECT_TRUE(f.TsukiSpinEdit->isHidden());
        EXPECT_EQ(f.Button1->text(), "今年");
        QTest::mouseClick(f.Button1, Qt::LeftButton);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(formatDate(*chosen), "2026/05/01") << "only the year is set; the month stays";
}

TEST(TNenGetsuForm, ThisMonthAndClosing) {
    TNenGetsuForm form;
    auto chosen = askAndDo(form, false, [](TNenGetsuForm& f) { QTest::mouseClick(f.Button1, Qt::LeftButton); });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(formatDate(*chosen), "2026/12/01");

    chosen = askAndDo(form, false, [](TNenGetsuForm& f) { f.reject(); });
    EXPECT_FALSE(chosen);

    chosen = askAndDo(form, false, [](TNenGetsuForm& f) {
        f.NenSpinEdit->setValue(3);
        QTest::mouseClick(f.OkBtn, Qt::LeftButton);
    });
    ASSERT_TRUE(chosen);
    EXPECT_EQ(chosen->year(), 1900) << "kept within the years the calendar draws";
}
