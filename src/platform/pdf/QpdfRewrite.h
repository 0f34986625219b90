// The entry point of the qpdf module (QpdfRewrite.cpp), looked up by name once the module is loaded.
#pragma once

#include <QByteArray>
#include <QString>

// `bytes` rewritten by qpdf into `written`, its encryption kept (`password` opens it), objects packed into
// object streams or left as they were; false with `error` set when qpdf cannot read or write it.
extern "C" bool zeplaQpdfRewrite(const QByteArray& bytes, const QByteArray& password,
                                 bool generateObjectStreams, QByteArray& written, QString& error);
using QpdfRewriteFunction = decltype(&zeplaQpdfRewrite);
