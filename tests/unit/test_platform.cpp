// Platform services that need neither a sound server nor an X server.

#include "common/TestEnvironment.h"
#include "platform/AppDirectory.h"
#include "platform/FileSystem.h"
#include "platform/ProgramLauncher.h"
#include "platform/SingleInstance.h"
#include "platform/WindowSystem.h"

#include <QProcess>
#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

class TestPlatform : public QObject {
    Q_OBJECT
private slots:
    void existenceAndDeletion()
    {
        TestEnvironment::AppDir dir(false);
        const QString file = dir.file(QStringLiteral("a.wav"));
        QVERIFY(!Platform::pathExists(file));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(Platform::pathExists(file));
        QVERIFY(Platform::pathExists(dir.path())); // a directory counts
        QVERIFY(!Platform::pathExists(QString()));
        QVERIFY(!Platform::pathExists(file + QStringLiteral("/below/a file")));
        QVERIFY(!Platform::pathExists(QString::fromLatin1("\0bad", 4)));

        Platform::deleteFileIgnoringErrors(file);
        QVERIFY(!QFile::exists(file));
        // Absent files, directories and empty paths are ignored without complaint.
        Platform::deleteFileIgnoringErrors(file);
        Platform::deleteFileIgnoringErrors(QString());
        Platform::deleteFileIgnoringErrors(dir.path());
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void pathsInTheApplicationDirectory()
    {
        QCOMPARE(Platform::pathInDirectory(QStringLiteral("/opt/tinevox"), QStringLiteral("temp.wav")),
                 QStringLiteral("/opt/tinevox/temp.wav"));
        QVERIFY(!Platform::applicationDirectory().endsWith(QLatin1Char('/')));
        QCOMPARE(Platform::applicationDirectory(), QCoreApplication::applicationDirPath());
    }

    void oneInstancePerUser()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(TestEnvironment::scratchRoot()));
        const QString name = QStringLiteral("instance-test");
        {
            Platform::SingleInstance first(name);
            QVERIFY(!first.anotherInstanceRuns());
            Platform::SingleInstance second(name);
            QVERIFY(second.anotherInstanceRuns());
        }
        Platform::SingleInstance afterwards(name);
        QVERIFY(!afterwards.anotherInstanceRuns());
    }

    void lockOfADeadInstanceIsTakenOver()
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(TestEnvironment::scratchRoot()));
        const QString lockPath = TestEnvironment::scratchRoot() + QStringLiteral("/dead-test.lock");
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
        Platform::SingleInstance instance(QStringLiteral("dead-test"));
        QVERIFY(!instance.anotherInstanceRuns());
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

    // A companion that has ended counts as gone even before anyone has reaped it.
    void endedProcessDoesNotRunEvenUnreaped()
    {
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0)
            ::_exit(0);
        QTRY_VERIFY_WITH_TIMEOUT(!Platform::processRuns(child), 5000);
        QVERIFY(::kill(child, 0) == 0); // still there, as a zombie
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(!Platform::processRuns(child));
        QVERIFY(Platform::processRuns(::getpid()));
        QVERIFY(!Platform::processRuns(0));
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
