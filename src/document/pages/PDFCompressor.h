// Smaller copies of a document for scanned or image-heavy files: every page becomes one JPEG picture of what
// the reader sees, at a chosen quality. The copy has no text; the source is never changed.
#pragma once

#include "core/Result.h"
#include "pdf/PdfDocument.h"

#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace zepla::document::PDFCompressor {

enum class Quality { good, better, best };
constexpr std::array<Quality, 3> allQualities{Quality::good, Quality::better, Quality::best};

QString rawValue(Quality quality);
std::optional<Quality> qualityFromRawValue(const QString& raw);
// Pixels per point of the page pictures.
double renderScale(Quality quality);
// JPEG quality from 0 (smallest) to 1.
double compressionFactor(Quality quality);
QString label(Quality quality);

// Told after each page with the pages done and the total; answering false stops the work.
using Progress = std::function<bool(int done, int total)>;

// A whole copy, or why there is none. A page that cannot be compressed fails the whole copy: a copy never
// lacks a page. A stopped run has neither a document nor an error: its copy is null.
using Outcome = Result<std::shared_ptr<pdf::Document>, QString>;

// Builds the copy page by page, in order. Each page keeps its media box (so it measures exactly as the
// source page), crop box and rotation, and shows a picture of its crop box, JPEG data embedded as encoded.
// Safe on a worker thread while the source is not edited.
Outcome compress(const pdf::Document& document, Quality quality, const Progress& progress = {});

} // namespace zepla::document::PDFCompressor
