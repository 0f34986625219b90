// Recognising the text of a picture: Tesseract with one engine per thread, giving lines and words with their
// boxes. Errors (no library, missing language data, a failed or cancelled run) are values.
#pragma once

#include "core/Result.h"

#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>

#include <atomic>
#include <vector>

namespace zepla::ocr {

struct Word {
    QString text;
    QRect box; // pixels of the picture, y downward
};

struct Line {
    QString text; // the words joined by single spaces
    QRect box;
    std::vector<Word> words;
};

struct Error {
    enum class Kind {
        Unavailable,     // the Tesseract library cannot be loaded
        MissingLanguage, // a language's data is not installed
        Failed,
        Cancelled,
    };
    Kind kind = Kind::Failed;
    QString message;
};

// The lines in reading order, or why there are none.
using Recognition = Result<std::vector<Line>, Error>;

// The lines' texts joined by "\n".
QString text(const std::vector<Line>& lines);

// Whether the recognition engine's library can be loaded (it is, from then on); `why` says why not.
bool isAvailable(QString* why = nullptr);

// The folder of Tesseract's language data: $TESSDATA_PREFIX, else Debian's.
QString dataFolder();
// The languages whose data is installed ("eng", "deu", ...), sorted; "osd" is not a language.
QStringList installedLanguages();
// English, followed by the language of the system's locale when its data is installed: "eng" or "eng+deu".
QString defaultLanguages();

// The text of `image` scanned at `dpi`, read with this thread's engine for `languages` ("eng+deu"), which is
// made on first use and kept while the thread lives. Setting `cancel` stops the run with a Cancelled error.
Recognition recognize(const QImage& image, int dpi, const QString& languages,
                      const std::atomic<bool>* cancel = nullptr);

} // namespace zepla::ocr
