// `cmake --install` into a prefix of the user's choosing: the program with the
// PDF layer's library it runs against, the math fonts where the program looks for them, the icon, and a
// valid desktop entry naming the installed program that the desktop can make the default PDF viewer.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run {
    bool ran = false;
    int exitCode = -1;
    QString output;
};

Run run(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.start(program, arguments);
    Run result;
    result.ran = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    result.exitCode = process.exitCode();
    result.output = QString::fromLocal8Bit(process.readAll());
    return result;
}

QString read(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestInstall : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_prefix;

private slots:
    void initTestCase() {
        QVERIFY(m_root.isValid());
        m_prefix = m_root.filePath("apps/zepla-1");
        const Run install = run(QStringLiteral(CMAKE_COMMAND),
                                {"--install", QStringLiteral(BUILD_DIR), "--prefix", m_prefix});
        QVERIFY2(install.ran && install.exitCode == 0, qPrintable(install.output));
    }

    void programRunsAgainstTheInstalledLibrary() {
        const QString program = m_prefix + "/bin/zepla";
        QVERIFY(QFileInfo(program).isExecutable());
        const Run ldd = run("ldd", {program});
        QVERIFY2(ldd.ran && ldd.exitCode == 0, qPrintable(ldd.output));
        const QString library = m_prefix + "/" LIB_DIR "/zepla/libzepla_pdf_engine.so";
        const qsizetype arrow = ldd.output.indexOf("libzepla_pdf_engine.so => ");
        QVERIFY2(arrow >= 0, qPrintable(ldd.output));
        const QString found = ldd.output.mid(arrow).section(' ', 2, 2);
        QCOMPARE(QFileInfo(found).canonicalFilePath(), QFileInfo(library).canonicalFilePath());
        QVERIFY(!ldd.output.contains("not found"));
        // qpdf's module, which the library loads from its own folder when it first rewrites a file.
        QVERIFY(QFileInfo(m_prefix + "/" LIB_DIR "/zepla/libzepla_pdf_qpdf.so").isFile());
    }

    // The program looks for its math fonts in ../share/zepla beside its own folder.
    void mathFontsAreBesideTheProgram() {
        const QDir fonts(m_prefix + "/bin/../share/zepla/MathTypeset_MathTypeset.bundle/mathFonts.bundle");
        for (const char* file : {"latinmodern-math.otf", "latinmodern-math.plist"})
            QVERIFY2(QFileInfo(fonts.filePath(file)).size() > 0, file);
        QVERIFY(fonts.entryList({"*.otf"}).size() >= 3);
    }

    void desktopEntryAndIcon() {
        QVERIFY(read(m_prefix + "/share/icons/hicolor/scalable/apps/zepla.svg").startsWith("<svg"));
        const QString entry = m_prefix + "/share/applications/zepla.desktop";
        const QStringList lines = read(entry).split('\n');
        QVERIFY(lines.contains("Exec=" + m_prefix + "/bin/zepla %F"));
        QVERIFY(lines.contains("MimeType=application/pdf;"));
        QVERIFY(!lines.contains("X-Zepla-Build-Folder=true"));
        const Run validate = run("desktop-file-validate", {entry});
        QVERIFY2(validate.ran, "desktop-file-validate did not run (desktop-file-utils)");
        QVERIFY2(validate.exitCode == 0 && validate.output.trimmed().isEmpty(), qPrintable(validate.output));
        // The install refreshed the desktop's list of which programs open which types.
        QVERIFY(
            read(m_prefix + "/share/applications/mimeinfo.cache").contains("application/pdf=zepla.desktop;"));
    }

    void desktopFindsTheEntryAndMakesZeplaTheDefault() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("XDG_DATA_DIRS", m_prefix + "/share");
        environment.insert("XDG_DATA_HOME", m_root.filePath("data"));
        environment.insert("XDG_CONFIG_HOME", m_root.filePath("config"));
        environment.insert("XDG_CONFIG_DIRS", m_root.filePath("config-dirs"));
        environment.remove("XDG_CURRENT_DESKTOP");
        const QStringList query{"query", "default", "application/pdf"};
        const Run set = run("xdg-mime", {"default", "zepla.desktop", "application/pdf"}, environment);
        QVERIFY2(set.ran && set.exitCode == 0, qPrintable(set.output));
        const Run after = run("xdg-mime", query, environment);
        QCOMPARE(after.output.trimmed(), QStringLiteral("zepla.desktop"));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "test_install.moc"
