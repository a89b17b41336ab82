#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace velmora;

namespace {

// Local sockets deliver through an event loop; the test has no other.
QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

bool waitFor(const bool& flag) {
    QElapsedTimer timer;
    timer.start();
    while (!flag && timer.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return flag;
}

} // namespace

TEST(SingleInstance, ASecondStartEndsTheFirstAndItself) {
    application();
    // A name of the test's own, so that a copy the developer runs is left alone.
    const QString name = QStringLiteral("VelmoraTest-%1").arg(QCoreApplication::applicationPid());
    bool firstAsked = false;
    auto first = std::make_unique<SingleInstance>([&] { firstAsked = true; }, name);
    ASSERT_TRUE(first->claim());

    bool secondAsked = false;
    SingleInstance second([&] { secondAsked = true; }, name);
    EXPECT_FALSE(second.claim()) << "a copy runs already";
    EXPECT_TRUE(waitFor(firstAsked)) << "the running copy is told to end";
    EXPECT_FALSE(secondAsked);

    first.reset();
    SingleInstance third([] {}, name);
    EXPECT_TRUE(third.claim()) << "once the first has ended, a new start runs";
}

TEST(SingleInstance, OneDisplayHasOneNameHoweverItIsWritten) {
    EXPECT_EQ(SingleInstance::displayKey(":0"), ":0");
    EXPECT_EQ(SingleInstance::displayKey(":0.0"), ":0") << "the screen is not another display";
    EXPECT_EQ(SingleInstance::displayKey("unix:0.1"), ":0");
    EXPECT_EQ(SingleInstance::displayKey("localhost:10.0"), ":10");
    EXPECT_EQ(SingleInstance::displayKey("remote:10.0"), "remote:10");
    EXPECT_EQ(SingleInstance::displayKey(":1"), ":1");
    EXPECT_EQ(SingleInstance::displayKey("/tmp/launch-x/org.xquartz:0"), "_tmp_launch-x_org.xquartz:0");
    EXPECT_EQ(SingleInstance::displayKey(""), "");
}
