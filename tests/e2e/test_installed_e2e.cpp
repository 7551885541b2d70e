// The .deb installed system-wide, where an ordinary user cannot write, and run by an
// ordinary user created for this test: moving mode is heard at both pitches with the
// tone files in the user's own runtime folder, STOP leaves no file and no companion,
// and another user (the test itself) shares neither the lock nor the companion.

#include "PrivateSoundServer.h"
#include "e2e/TinevoxUnderTest.h"
#include "platform/CompanionNames.h"
#include "platform/SingleInstance.h"
#include "platform/WindowCaption.h"

#include <QTemporaryDir>
#include <QtTest>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString User = QStringLiteral("tinevoxtest");
const QString& Caption = Platform::CompanionNames::Caption;

bool run(const QString& program, const QStringList& args, const QString& workDir = QString())
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedChannels);
    if (!workDir.isEmpty())
        p.setWorkingDirectory(workDir);
    p.start(program, args);
    return p.waitForFinished(180000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}
} // namespace

class TestInstalledE2e : public QObject, protected TinevoxUnderTest {
    Q_OBJECT

    QTemporaryDir scratch {QStringLiteral("/tmp/tvinstalled-XXXXXX")};
    std::unique_ptr<TestSupport::PrivateSoundServer> server;
    QString root;       // the unpacked package: <root>/usr/...
    QString userFolder; // the user's runtime and settings folders
    uid_t userId = 0;
    gid_t groupId = 0;

    QString installedCompanion() const { return root + QStringLiteral("/usr/lib/tinevox/echolet.dll"); }
    QString toneFolder() const { return userFolder + QStringLiteral("/runtime/tinevox"); }
    int companions() const { return E2e::processesRunning(installedCompanion()); }

    void giveToUser(const QString& path)
    {
        QVERIFY(::chown(QFile::encodeName(path).constData(), userId, groupId) == 0);
    }

private slots:
    void initTestCase()
    {
        requireRig();
        if (::geteuid() != 0)
            QSKIP("creating a user and a root-owned install needs root");
        QVERIFY(scratch.isValid());
        QVERIFY(QFile::setPermissions(scratch.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                          | QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther
                                                          | QFile::ExeOther));

        // The package, unpacked as dpkg would lay it out, owned by root.
        const QString debFolder = scratch.filePath(QStringLiteral("deb"));
        QVERIFY(run(QStringLiteral("cpack"), {QStringLiteral("--config"), QStringLiteral(TINEVOX_BUILD_DIR "/CPackConfig.cmake"),
                                              QStringLiteral("-B"), debFolder},
                    scratch.path()));
        const QStringList debs = QDir(debFolder).entryList({QStringLiteral("*.deb")});
        QCOMPARE(debs.size(), 1);
        root = scratch.filePath(QStringLiteral("root"));
        QVERIFY(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), debFolder + QLatin1Char('/') + debs.first(), root}));
        QVERIFY(QFileInfo(installedCompanion()).isExecutable());
        QCOMPARE(QFileInfo(root + QStringLiteral("/usr/lib/tinevox")).ownerId(), 0u);

        if (!::getpwnam(qPrintable(User)))
            QVERIFY(run(QStringLiteral("useradd"), {QStringLiteral("--create-home"), User}));
        const passwd* account = ::getpwnam(qPrintable(User));
        QVERIFY(account);
        userId = account->pw_uid;
        groupId = account->pw_gid;

        userFolder = scratch.filePath(QStringLiteral("user"));
        for (const char* sub : {"", "/runtime", "/config"}) {
            QVERIFY(QDir().mkpath(userFolder + QLatin1String(sub)));
            giveToUser(userFolder + QLatin1String(sub));
        }
        QFile::setPermissions(userFolder + QStringLiteral("/runtime"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile settings(userFolder + QStringLiteral("/config/Tinecheck.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write("[Settings]\nMode=Moving\nSpeed=100\nSpeed2=50\n");
        settings.close();
        giveToUser(settings.fileName());

        QVERIFY(QDir().mkpath(scratch.filePath(QStringLiteral("sound"))));
        server = std::make_unique<TestSupport::PrivateSoundServer>(scratch.filePath(QStringLiteral("sound")));
        server->letEveryUserConnect();
        QVERIFY2(server->start(), "the private sound server did not start");
        qputenv("PULSE_SERVER", server->address().toLocal8Bit()); // the recorder's
        recorder.holdLatency();
    }

    void cleanupTestCase()
    {
        if (program && program->state() == QProcess::Running) {
            E2e::closeThroughWindowManager(QStringLiteral("Tinevox"));
            program->waitForFinished(5000);
        }
        if (!root.isEmpty())
            E2e::killAll(installedCompanion());
    }

    // The installed program, started by the test's user in the given runtime folder.
    void startAsUser(const QString& runtimeFolder)
    {
        program = std::make_unique<QProcess>();
        program->setProcessChannelMode(QProcess::ForwardedChannels);
        program->start(QStringLiteral("runuser"),
                       {QStringLiteral("-u"), User, QStringLiteral("--"), QStringLiteral("env"), QStringLiteral("-i"),
                        QStringLiteral("HOME=/home/") + User, QStringLiteral("PATH=/usr/bin:/bin"),
                        QStringLiteral("DISPLAY=") + qEnvironmentVariable("DISPLAY"),
                        QStringLiteral("PULSE_SERVER=") + server->address(),
                        QStringLiteral("XDG_RUNTIME_DIR=") + runtimeFolder,
                        QStringLiteral("XDG_CACHE_HOME=") + userFolder + QStringLiteral("/cache"),
                        QStringLiteral("XDG_CONFIG_HOME=") + userFolder + QStringLiteral("/config"),
                        root + QStringLiteral("/usr/bin/tinevox")});
        QVERIFY(program->waitForStarted());
        QVERIFY2(waitForWindow(), "the installed program's window did not appear or get the focus");
    }

    void ordinaryUserPlaysBothTones()
    {
        startAsUser(userFolder + QStringLiteral("/runtime"));

        clickGo();
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 1, 10000);
        for (const char* name : {"/temp.wav", "/temp2.wav"}) {
            const QFileInfo tone(toneFolder() + QLatin1String(name));
            QVERIFY2(tone.exists(), name);
            QCOMPARE(tone.ownerId(), userId);
        }
        QCOMPARE(QFileInfo(toneFolder()).permissions() & (QFile::ReadGroup | QFile::ReadOther), QFileDevice::Permissions());
        QVERIFY(QDir(root + QStringLiteral("/usr/lib/tinevox")).entryList({QStringLiteral("*.wav")}).isEmpty());
        expectBothTones(1569, 3139);

        // Another user: its own lock, and it can neither see nor close this user's companion.
        Platform::SingleInstance otherUser(QStringLiteral("tinevox"));
        QVERIFY(!otherUser.anotherInstanceRuns());
        QVERIFY(!Platform::postCloseByCaption(Caption));
        QVERIFY(E2e::staysTrue([this] { return companions() == 1; }, 500));

        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 0, 5000);
        QVERIFY(!QFile::exists(toneFolder() + QStringLiteral("/temp.wav")));
        QVERIFY(!QFile::exists(toneFolder() + QStringLiteral("/temp2.wav")));
        QVERIFY(recorder.start());
        QVERIFY2(recorder.waitForSilence(300, 3000) >= 0, "something still plays after STOP");
        recorder.stop();

        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
    }

    // As su and sudo -u leave it: the runtime folder of another user (here root's), and
    // a settings file the user may not write. The tones play from the user's cache
    // folder, and the close says that the choices could not be kept.
    void ordinaryUserInAForeignSession()
    {
        const QString foreignRuntime = scratch.filePath(QStringLiteral("root-runtime"));
        QVERIFY(QDir().mkpath(foreignRuntime));
        const QString settings = userFolder + QStringLiteral("/config/Tinecheck.conf");
        QVERIFY(QFile::setPermissions(settings, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        const QByteArray stored = TestEnvironment::readAll(settings);
        startAsUser(foreignRuntime);

        clickGo();
        const QString cacheTones = userFolder + QStringLiteral("/cache/tinevox");
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(cacheTones + QStringLiteral("/temp2.wav")), 10000);
        QCOMPARE(QFileInfo(cacheTones + QStringLiteral("/temp.wav")).ownerId(), userId);
        QVERIFY(QDir(foreignRuntime).isEmpty());
        expectBothTones(1569, 3139);
        clickStop();
        QTRY_COMPARE_WITH_TIMEOUT(companions(), 0, 5000);

        clickClose();
        QTRY_COMPARE_WITH_TIMEOUT(E2e::windowsNamed(QStringLiteral("Tinevox"), true), 2, 5000); // the window and its box
        xdotool({QStringLiteral("key"), QStringLiteral("Return")});
        QTRY_COMPARE_WITH_TIMEOUT(program->state(), QProcess::NotRunning, 5000);
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(TestEnvironment::readAll(settings), stored);
    }
};

QTEST_MAIN(TestInstalledE2e)
#include "test_installed_e2e.moc"
