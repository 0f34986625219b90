#include "TextRecognizer.h"

#include "TesseractLibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>

#include <omp.h>

#include <memory>
#include <optional>

namespace zepla::ocr {

namespace {

// One engine, initialised for one set of languages, used by the thread that made it.
struct Engine {
    const TesseractLibrary* api = nullptr;
    TessBaseAPI* handle = nullptr;
    QString key; // the data folder and the languages it was made for

    ~Engine() {
        if (handle)
            api->destroy(handle);
    }
};

// Nothing when every language of "eng+deu" has its data installed, else the error to report.
std::optional<Error> missingLanguage(const QString& languages) {
    const QStringList installed = installedLanguages();
    for (const QString& language : languages.split(QLatin1Char('+'))) {
        if (!installed.contains(language))
            return Error{Error::Kind::MissingLanguage,
                         QStringLiteral("The text recognition data for “%1” is not installed (Debian package "
                                        "tesseract-ocr-%1).")
                             .arg(language)};
    }
    return std::nullopt;
}

// This thread's engine for the languages, made (or remade for other languages) on demand.
Engine* threadEngine(const QString& languages, std::optional<Error>* error) {
    thread_local std::unique_ptr<Engine> engine;
    const QString folder = dataFolder();
    const QString key = folder + QLatin1Char('\n') + languages;
    if (engine && engine->key == key)
        return engine.get();
    engine.reset();
    QString message;
    const TesseractLibrary* api = tesseract(&message);
    if (!api) {
        *error = Error{Error::Kind::Unavailable, message};
        return nullptr;
    }
    if ((*error = missingLanguage(languages)))
        return nullptr;
    // One engine per thread, and no threads of its own: Tesseract parallelises inside a page with OpenMP, and
    // OMP_THREAD_LIMIT=1 cannot say no from here, since OpenMP reads it when its runtime loads and Qt's
    // hashing library loads the runtime before main() runs. Allowing no active parallel level on this thread
    // has the same effect: each region Tesseract opens here runs on this thread alone.
    omp_set_max_active_levels(0);
    auto made = std::make_unique<Engine>();
    made->api = api;
    made->handle = api->create();
    made->key = key;
    if (!made->handle || api->init(made->handle, QFile::encodeName(folder).constData(),
                                   languages.toUtf8().constData(), tesseract::OEM_DEFAULT) != 0) {
        *error = Error{Error::Kind::Failed,
                       QStringLiteral("Text recognition could not start for “%1”.").arg(languages)};
        return nullptr;
    }
    // Scanned pages: find the columns and blocks, as the tesseract command does.
    api->setPageSegMode(made->handle, tesseract::PSM_AUTO);
    engine = std::move(made);
    return engine.get();
}

bool isCancelled(void* flag, int) {
    return static_cast<const std::atomic<bool>*>(flag)->load();
}

// The recognised words, grouped into their lines.
std::vector<Line> readLines(const TesseractLibrary& api, TessBaseAPI* handle) {
    std::vector<Line> lines;
    TessResultIterator* it = api.iterator(handle);
    if (!it)
        return lines;
    TessPageIterator* page = api.pageIterator(it);
    bool startsLine = true;
    do {
        startsLine = startsLine || api.isAtBeginningOf(page, tesseract::RIL_TEXTLINE);
        char* utf8 = api.text(it, tesseract::RIL_WORD);
        const QString word = QString::fromUtf8(utf8).trimmed();
        api.deleteText(utf8);
        if (word.isEmpty())
            continue;
        int left = 0, top = 0, right = 0, bottom = 0;
        if (startsLine) {
            api.boundingBox(page, tesseract::RIL_TEXTLINE, &left, &top, &right, &bottom);
            lines.push_back(Line{{}, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), {}});
            startsLine = false;
        }
        api.boundingBox(page, tesseract::RIL_WORD, &left, &top, &right, &bottom);
        Line& line = lines.back();
        line.text += (line.text.isEmpty() ? QString() : QStringLiteral(" ")) + word;
        line.words.push_back(Word{word, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1))});
    } while (api.next(it, tesseract::RIL_WORD));
    api.deleteIterator(it);
    return lines;
}

} // namespace

QString text(const std::vector<Line>& lines) {
    QStringList texts;
    for (const Line& line : lines)
        texts.append(line.text);
    return texts.join(QLatin1Char('\n'));
}

bool isAvailable(QString* why) {
    return tesseract(why) != nullptr;
}

QString dataFolder() {
    const QString prefix = qEnvironmentVariable("TESSDATA_PREFIX");
    return prefix.isEmpty() ? QStringLiteral("/usr/share/tesseract-ocr/5/tessdata") : prefix;
}

QStringList installedLanguages() {
    QStringList languages;
    const QStringList files =
        QDir(dataFolder()).entryList({QStringLiteral("*.traineddata")}, QDir::Files, QDir::Name);
    for (const QString& file : files) {
        const QString language = QFileInfo(file).completeBaseName();
        if (language != QLatin1String("osd"))
            languages.append(language);
    }
    return languages;
}

QString defaultLanguages() {
    QString languages = QStringLiteral("eng");
    const QString local = QLocale::languageToCode(QLocale::system().language(), QLocale::ISO639Part2T);
    if (!local.isEmpty() && local != languages && installedLanguages().contains(local))
        languages += QLatin1Char('+') + local;
    return languages;
}

Recognition recognize(const QImage& image, int dpi, const QString& languages,
                      const std::atomic<bool>* cancel) {
    if (image.isNull())
        return Error{Error::Kind::Failed, QStringLiteral("There is no picture to read.")};
    std::optional<Error> error;
    Engine* engine = threadEngine(languages, &error);
    if (!engine)
        return *error;
    const TesseractLibrary& api = *engine->api;
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    api.setImage(engine->handle, grey.constBits(), grey.width(), grey.height(), 1, int(grey.bytesPerLine()));
    api.setSourceResolution(engine->handle, dpi);
    ETEXT_DESC* monitor = api.createMonitor();
    if (cancel) {
        api.setCancelFunc(monitor, isCancelled);
        api.setCancelThis(monitor, const_cast<std::atomic<bool>*>(cancel));
    }
    const int status = api.recognize(engine->handle, monitor);
    api.deleteMonitor(monitor);
    Recognition result = Error{Error::Kind::Failed, QStringLiteral("Text recognition failed on this page.")};
    if (cancel && cancel->load())
        result = Error{Error::Kind::Cancelled, QStringLiteral("Text recognition was cancelled.")};
    else if (status == 0)
        result = readLines(api, engine->handle);
    api.clear(engine->handle);
    return result;
}

} // namespace zepla::ocr
