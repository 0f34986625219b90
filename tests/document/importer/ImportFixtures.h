// Files for the importer tests, made by the tests: pictures with and without an orientation, a PNG header
// that claims a huge picture, and a Word file written by LibreOffice.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QSize>
#include <QString>

namespace importfixtures {

// A JPEG of `size` pixels: `corner` fills its top-left quarter, white the rest.
QByteArray jpeg(const QSize& size, const QColor& corner = Qt::red);
// The same JPEG carrying an EXIF orientation (1 to 8).
QByteArray withExifOrientation(const QByteArray& jpeg, int orientation);
QByteArray png(const QSize& size);
// A HEIC file of `size` pixels encoded by libheif; qFatal when libheif has no HEVC encoder.
void writeHeic(const QString& path, const QSize& size);
// The first bytes of a PNG file announcing a picture of `size` pixels, without its pixel data.
QByteArray pngHeaderOnly(const QSize& size);

// A .docx written by LibreOffice from a plain text file holding `text`; qFatal when that fails.
QString docxFromText(const QString& folder, const QString& text);

} // namespace importfixtures
