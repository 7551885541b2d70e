// Platform services that need neither a sound server nor an X server.

#include "common/TestEnvironment.h"
#include "platform/ProgramLauncher.h"
#include "platform/PrivateFolder.h"
#include "platform/SingleInstance.h"
#include "platform/ToneFolder.h"
#include "platform/WindowSystem.h"

#include <QProcess>
#include <QtTest>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    // Two starts of one user meet at one lock whatever their environment says (a second
    // session, a terminal with another runtime folder).
    void oneInstancePerUserWhateverTheEnvironment()
    {
        const QString name = QStringLiteral("instance-test");
        {
            qputenv("XDG_RUNTIME_DIR", QFile::encodeName(TestEnvironment::scratchRoot()));
            Platform::SingleInstance first(name);
            QVERIFY(!first.anotherInstanceRuns());
            qputenv("XDG_RUNTIME_DIR", "/nonexistent");
            Platform::SingleInstance second(name);
            QVERIFY(second.anotherInstanceRuns());
        }
        Platform::SingleInstance afterwards(name);
        QVERIFY(!afterwards.anotherInstanceRuns());

        const QString folder = Platform::perUserLockFolder();
        QVERIFY(folder == QStringLiteral("/run/user/%1").arg(::getuid())
                || folder == QStringLiteral("/tmp/tinevox-%1").arg(::getuid()));
        QCOMPARE(QFileInfo(folder).ownerId(), ::getuid());
        QCOMPARE(QFileInfo(folder).permissions() & (QFile::ReadGroup | QFile::WriteOther | QFile::ExeOther),
                 QFileDevice::Permissions());
    }

    void lockOfADeadInstanceIsTakenOver()
    {
        const QString folder = TestEnvironment::scratchRoot();
        const QString lockPath = folder + QStringLiteral("/dead-test.lock");
        // A child takes the lock and dies without releasing it.
        const pid_t child = fork();
        if (child == 0) {
            QLockFile lock(lockPath);
            lock.tryLock(0);
            _exit(0); // no destructor runs: the file stays
        }
        int status = 0;
        waitpid(child, &status, 0);
        QVERIFY(QFile::exists(lockPath));
        Platform::SingleInstance instance(QStringLiteral("dead-test"), folder);
        QVERIFY(!instance.anotherInstanceRuns());
        Platform::SingleInstance second(QStringLiteral("dead-test"), folder);
        QVERIFY(second.anotherInstanceRuns());
    }

    // Where the tone files go: the application directory when it can be written, else
    // the user's own private folder, in the runtime folder or else in the cache; a folder
    // someone else could control is never used.
    void toneFolderRule_data()
    {
        QTest::addColumn<bool>("appDirWritable");
        QTest::addColumn<QString>("runtime"); // relative to the scratch folder; empty: unset
        QTest::addColumn<QString>("cache");
        QTest::addColumn<QString>("planted"); // what already stands in the places below
        QTest::addColumn<QStringList>("places");
        QTest::addColumn<QString>("expected"); // relative; empty: refused
        const QStringList nowhere;
        const QStringList runtimeOnly {QStringLiteral("run/tinevox")};
        const QString lastResort = QStringLiteral("tmp/tinevox-%1").arg(::getuid());
        const QStringList both {QStringLiteral("run/tinevox"), QStringLiteral("home/.cache/tinevox")};
        const QStringList all = both + QStringList {lastResort};
        QTest::newRow("application directory") << true << "run" << "cache" << "" << nowhere << "app";
        QTest::newRow("runtime folder") << false << "run" << "cache" << "" << nowhere << "run/tinevox";
        QTest::newRow("cache without runtime") << false << "" << "cache" << "" << nowhere << "cache/tinevox";
        QTest::newRow("home cache") << false << "" << "" << "" << nowhere << "home/.cache/tinevox";
        QTest::newRow("open to others is narrowed") << false << "run" << "" << "open" << runtimeOnly << "run/tinevox";
        QTest::newRow("another owner's: the cache") << false << "run" << "" << "foreign" << runtimeOnly
                                                    << "home/.cache/tinevox";
        // su and sudo -u leave the calling user's runtime folder in the environment.
        QTest::newRow("runtime of another user: the cache")
            << false << "run" << "" << "foreign" << QStringList {QStringLiteral("run")} << "home/.cache/tinevox";
        // A user without a home or runtime folder of their own.
        QTest::newRow("neither: the temporary folder") << false << "run" << "" << "file" << both << lastResort;
        QTest::newRow("links refused") << false << "run" << "" << "link" << all << "";
        QTest::newRow("another owner refused") << false << "run" << "" << "foreign" << all << "";
        QTest::newRow("files refused") << false << "run" << "" << "file" << all << "";
    }
    void toneFolderRule()
    {
        QFETCH(bool, appDirWritable);
        QFETCH(QString, runtime);
        QFETCH(QString, cache);
        QFETCH(QString, planted);
        QFETCH(QStringList, places);
        QFETCH(QString, expected);
        QTemporaryDir scratch(TestEnvironment::scratchRoot() + QStringLiteral("/folders-XXXXXX"));
        const QString root = scratch.path() + QLatin1Char('/');
        for (const char* sub : {"app", "run", "home", "tmp", "elsewhere"})
            QVERIFY(QDir().mkpath(root + QLatin1String(sub)));
        // As root every folder is writable, so an unwritable one is one that is not there.
        const QString appDir = root + (appDirWritable ? QStringLiteral("app") : QStringLiteral("missing"));
        const QByteArray savedHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(root + QStringLiteral("home")));
        qputenv("TMPDIR", QFile::encodeName(root + QStringLiteral("tmp")));
        auto setOrUnset = [&](const char* variable, const QString& value) {
            if (value.isEmpty())
                qunsetenv(variable);
            else
                qputenv(variable, QFile::encodeName(root + value));
        };
        setOrUnset("XDG_RUNTIME_DIR", runtime);
        setOrUnset("XDG_CACHE_HOME", cache);

        for (const QString& place : places) {
            const QByteArray target = QFile::encodeName(root + place);
            QVERIFY(QDir().mkpath(QFileInfo(root + place).path()));
            if (planted == QLatin1String("open")) {
                QVERIFY(::mkdir(target.constData(), 0777) == 0 && ::chmod(target.constData(), 0777) == 0);
            } else if (planted == QLatin1String("link")) {
                QVERIFY(QFile::link(root + QStringLiteral("elsewhere"), root + place));
            } else if (planted == QLatin1String("foreign")) {
                QVERIFY(QDir().mkpath(root + place) && ::chmod(target.constData(), 0700) == 0);
                if (::chown(target.constData(), 65534, 65534) != 0)
                    QSKIP("cannot give a folder to another user here (not root)");
            } else if (planted == QLatin1String("file")) {
                QFile file(root + place);
                QVERIFY(file.open(QIODevice::WriteOnly));
            }
        }

        const Platform::ToneFolder folder = Platform::toneFolder(appDir);
        qputenv("HOME", savedHome);
        qunsetenv("TMPDIR");
        qunsetenv("XDG_CACHE_HOME");
        if (expected.isEmpty()) {
            QVERIFY(folder.path.isEmpty());
            for (const QString& place : places)
                QVERIFY2(folder.problem.contains(root + place), qPrintable(folder.problem));
            return;
        }
        QCOMPARE(folder.path, root + expected);
        QVERIFY(folder.problem.isEmpty());
        if (expected != QLatin1String("app")) {
            const QFileInfo info(folder.path);
            QVERIFY(info.isDir() && !info.isSymLink());
            QCOMPARE(info.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
    }

    void startedProgramsReceiveTheirShowState()
    {
        TestEnvironment::AppDir dir(false);
        const QString script = dir.file(QStringLiteral("report.sh"));
        QFile f(script);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\necho \"state=${TINEVOX_SHOW_STATE-unset} dir=$(pwd)\" > \"$(dirname \"$0\")/out.$$\"\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);

        // The script's report, once it has written it (a few seconds at most).
        auto runAndRead = [&](Platform::ShowState state) -> QByteArray {
            const QStringList pattern {QStringLiteral("out.*")};
            for (const QString& old : QDir(dir.path()).entryList(pattern))
                QFile::remove(dir.file(old));
            if (!Platform::startProgram(script, state))
                return "not started";
            for (int i = 0; i < 100; ++i) {
                const QStringList found = QDir(dir.path()).entryList(pattern);
                const QByteArray text = found.isEmpty() ? QByteArray() : TestEnvironment::readAll(dir.file(found.first()));
                if (text.endsWith('\n'))
                    return text.trimmed();
                QTest::qWait(50);
            }
            return "no report";
        };
        const QByteArray canonical = QFileInfo(dir.path()).canonicalFilePath().toUtf8();
        QCOMPARE(runAndRead(Platform::ShowState::Hidden), "state=0 dir=" + canonical);
        QCOMPARE(runAndRead(Platform::ShowState::Normal), "state=unset dir=" + canonical);

        QVERIFY(!Platform::startProgram(dir.file(QStringLiteral("missing")), Platform::ShowState::Hidden));
        QVERIFY(!Platform::startProgram(dir.path(), Platform::ShowState::Hidden));
    }

    // A request to end that a hung GUI thread never takes up ends the process anyway; one
    // taken up leaves the program to end in its own time.
    void terminationRequestEndsAHungProgram_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<bool>("killed");
        QTest::newRow("hung") << QStringLiteral("hung") << true;
        QTest::newRow("answering") << QStringLiteral("answering") << false;
    }

    void terminationRequestEndsAHungProgram()
    {
        QFETCH(QString, mode);
        QFETCH(bool, killed);
        QProcess child;
        child.start(QStringLiteral(TERMINATION_CHILD), {mode});
        QVERIFY(child.waitForReadyRead(10000));
        child.terminate();
        QTRY_VERIFY_WITH_TIMEOUT(child.state() == QProcess::NotRunning, 20000);
        QCOMPARE(child.exitStatus() == QProcess::CrashExit, killed);
        if (!killed)
            QCOMPARE(child.exitCode(), 0);
    }

    void showStateIsTakenOnce()
    {
        qputenv(Platform::ShowStateVariable, "0");
        QCOMPARE(Platform::takeStartupShowState(), Platform::ShowState::Hidden);
        QVERIFY(!qEnvironmentVariableIsSet(Platform::ShowStateVariable));
        QCOMPARE(Platform::takeStartupShowState(), Platform::ShowState::Normal);
        qputenv(Platform::ShowStateVariable, "1");
        QCOMPARE(Platform::takeStartupShowState(), Platform::ShowState::Normal);
    }
    // X11 in every session, Wayland included, unless the user named a platform.
    void windowSystem_data()
    {
        QTest::addColumn<bool>("set");
        QTest::addColumn<QByteArray>("chosen");
        QTest::addColumn<QByteArray>("used");
        QTest::newRow("unset") << false << QByteArray() << QByteArray("xcb");
        QTest::newRow("empty") << true << QByteArray() << QByteArray("xcb");
        QTest::newRow("wayland") << true << QByteArray("wayland") << QByteArray("wayland");
        QTest::newRow("offscreen") << true << QByteArray("offscreen") << QByteArray("offscreen");
    }
    void windowSystem()
    {
        QFETCH(bool, set);
        QFETCH(QByteArray, chosen);
        QFETCH(QByteArray, used);
        const QByteArray before = qgetenv("QT_QPA_PLATFORM");
        if (set)
            qputenv("QT_QPA_PLATFORM", chosen);
        else
            qunsetenv("QT_QPA_PLATFORM");
        Platform::useX11UnlessUserChose();
        const QByteArray after = qgetenv("QT_QPA_PLATFORM");
        qputenv("QT_QPA_PLATFORM", before);
        QCOMPARE(after, used);
    }
};

QTEST_GUILESS_MAIN(TestPlatform)
#include "test_platform.moc"
