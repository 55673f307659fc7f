// The show's logic without any window: this program has no QApplication, so a widget created by
// the code under test ends the run.

#include "ShowController.h"
#include "FakeShowHost.h"
#include "audio/AudioEngine.h"

#include <QCoreApplication>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const char* endingName(ShowController::Ending ending) {
    switch (ending) {
    case ShowController::Ending::RanOut:
        return "ran out";
    case ShowController::Ending::Stopped:
        return "stopped";
    case ShowController::Ending::Left:
        return "left";
    }
    return "?";
}

// A controller on a fake editor whose window shows every slide at once, writing what it is told
// into a log: "1" for slide 1 put on screen, "end: ran out", "paused", "running".
struct Show {
    explicit Show(int slides, int timingMs = 5) {
        for (int i = 0; i < slides; ++i)
            host.doc.addSlide(QStringLiteral("/p/%1.jpg").arg(i), QString(), QString(), timingMs);
        host.effects = false;
        QObject::connect(&controller, &ShowController::slideChanged, [this](int index) {
            log << QString::number(index + 1);
            if (showsAtOnce)
                controller.slideShown();
        });
        QObject::connect(&controller, &ShowController::finished, [this](ShowController::Ending e) {
            log << QStringLiteral("end: ") + endingName(e);
        });
        QObject::connect(&controller, &ShowController::stateChanged, [this](ShowController::State s) {
            if (s != ShowController::State::Stopped)
                log << (s == ShowController::State::Paused ? QStringLiteral("paused")
                                                           : QStringLiteral("running"));
        });
    }

    // One command of a script; "tick" waits for the slide's own time to run out.
    void run(const QString& command) {
        if (command == QLatin1String("start"))
            controller.start();
        else if (command == QLatin1String("next"))
            controller.next();
        else if (command == QLatin1String("back"))
            controller.back();
        else if (command == QLatin1String("pause"))
            controller.pause();
        else if (command == QLatin1String("resume"))
            controller.resume();
        else if (command == QLatin1String("p"))
            controller.togglePause();
        else if (command == QLatin1String("stop"))
            controller.stop();
        else if (command == QLatin1String("esc"))
            controller.leave();
        else if (command == QLatin1String("tick")) {
            EXPECT_TRUE(controller.isCounting()) << "a tick needs a slide counting its time";
            QSignalSpy moved(&controller, &ShowController::slideChanged);
            QSignalSpy ended(&controller, &ShowController::finished);
            for (int waited = 0; waited < 2000 && moved.isEmpty() && ended.isEmpty(); waited += 5)
                moved.wait(5);
        } else
            ADD_FAILURE() << "no such command " << command.toStdString();
    }

    FakeShowHost host;
    AudioEngine engine{AudioEngine::Output::Manual};
    ShowController controller{host, engine};
    QStringList log;
    bool showsAtOnce = true;
};

TEST(ShowController, SequencesOverLoopingAdvancePauseBackAndTheEnd) {
    const struct {
        const char* name;
        int slides;
        bool loop;
        bool advance;
        const char* script;
        const char* log;
        bool countingAtEnd;
    } cases[] = {
        {"a running show walks round when it loops", 3, true, true, "start tick tick tick", "running 1 2 3 1",
         true},
        {"without loop it ends after the last slide", 2, false, true, "start tick tick",
         "running 1 2 end: ran out", false},
        {"started paused, the first slide waits", 3, true, false, "start", "paused 1", false},
        {"Next while paused stays paused", 3, true, false, "start next", "paused 1 2", false},
        {"resume shows the next slide at once and runs", 3, true, false, "start resume", "paused 1 running 2",
         true},
        {"p pauses a running show and resumes it", 3, true, true, "start p p", "running 1 paused running 2",
         true},
        {"Back from the first slide is the last, loop or not", 3, false, true, "start back back",
         "running 1 3 2", true},
        {"a one-slide show shows its slide again on Back", 1, false, true, "start back", "running 1 1", true},
        {"Next past the last slide without loop ends the show", 2, false, false, "start next next",
         "paused 1 2 end: ran out", false},
        {"Next past the last slide of a looping show starts over", 2, true, false, "start next next",
         "paused 1 2 1", false},
        {"stop", 3, true, true, "start next stop", "running 1 2 end: stopped", false},
        {"Esc", 3, true, true, "start esc", "running 1 end: left", false},
        {"commands after the end do nothing", 3, true, true, "start stop next back resume p stop",
         "running 1 end: stopped", false},
        {"a show without slides ends at once", 0, true, true, "start", "running end: ran out", false},
    };
    for (const auto& c : cases) {
        Show show(c.slides);
        show.host.looping = c.loop;
        show.host.advance = c.advance;
        for (const QString& command : QString::fromLatin1(c.script).split(QLatin1Char(' ')))
            show.run(command);
        EXPECT_EQ(show.log.join(QLatin1Char(' ')), QLatin1String(c.log)) << c.name;
        EXPECT_EQ(show.controller.isCounting(), c.countingAtEnd) << c.name;
    }
}

TEST(ShowController, PauseAndResumeAreTheEditorsAutomaticAdvance) {
    Show show(3);
    show.run("start");
    show.host.doc.setModified(false);
    show.run("pause");
    EXPECT_FALSE(show.host.advance);
    EXPECT_TRUE(show.host.doc.isModified()) << "a change of the show's option, as the user's own";
    EXPECT_EQ(show.controller.state(), ShowController::State::Paused);
    show.run("resume");
    EXPECT_TRUE(show.host.advance);
    EXPECT_EQ(show.controller.state(), ShowController::State::Running);
}

TEST(ShowController, ASlidesTimeStartsWhenItIsWholeOnScreen) {
    Show show(3, 2500);
    show.host.doc.setTiming(1, "0");
    show.host.delay = 7;
    show.showsAtOnce = false;
    show.run("start");
    EXPECT_EQ(show.log.join(' '), "running 1");
    EXPECT_FALSE(show.controller.isCounting()) << "the window has not shown it yet";
    show.controller.slideShown();
    EXPECT_TRUE(show.controller.isCounting());
    EXPECT_EQ(show.controller.currentInterval(), 2500);
    show.controller.slideShown();
    show.run("next");
    EXPECT_FALSE(show.controller.isCounting());
    show.controller.slideShown();
    EXPECT_EQ(show.controller.currentInterval(), 7000) << "\"0\" is the default delay";
}

TEST(ShowController, ADamagedTimeIsReportedOncePerShowAndTheDefaultDelayUsed) {
    Show show(2);
    show.host.doc.setTiming(0, "2.5s");
    show.host.delay = 4;
    show.run("start");
    show.run("next");
    show.run("next");
    EXPECT_EQ(show.host.shownMessages.texts(), QStringList({"'2.5s' is not a valid integer value"}));
    EXPECT_EQ(show.controller.currentInterval(), 4000);
    EXPECT_EQ(show.log.join(' '), "running 1 2 1") << "the show moves on";
    show.run("stop");
    show.run("start");
    EXPECT_EQ(show.host.shownMessages.shown.size(), 2) << "a new show says it again";
}

} // namespace
