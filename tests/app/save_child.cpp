// Saves a large document through the document saver under a file-size limit that is far too small, so the
// system kills this process with SIGXFSZ in the middle of writing. Usage: save_child PATH
#include "app/DocumentFile.h"

#include <QCoreApplication>

#include <sys/resource.h>

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() != 2)
        return 2;
    constexpr rlim_t limit = 1024 * 1024;
    const rlimit fileSize{limit, limit};
    if (setrlimit(RLIMIT_FSIZE, &fileSize) != 0)
        return 3;
    const QByteArray bytes(8 * limit, 'x');
    using zepla::app::DocumentFile::WriteResult;
    return zepla::app::DocumentFile::write(arguments[1], bytes).status == WriteResult::Status::written ? 0
                                                                                                       : 1;
}
