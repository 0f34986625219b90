// A PDF document over MuPDF: open, unlock, pages with a stable identity, rendering, text, annotations,
// outline, document information and saving.
//
// Every member locks the document, so a document may be shared between threads, but it is only ever used
// by one thread at a time. Long work on a worker should take a `DisplayList` on the owning thread and
// rasterise that instead of holding the document.
#pragma once

#include "PdfError.h"
#include "PdfTypes.h"

#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace zepla::pdf {

class Document;
class DisplayList;

// A page object of a document: the very same page, wherever it moves and even while it is out of the page
// tree (removed for undo). Two handles are equal when they name one page object.
class PageHandle {
public:
    PageHandle() = default;
    bool isNull() const { return m_object == 0; }
    int objectNumber() const { return m_object; }
    bool operator==(const PageHandle&) const = default;

private:
    friend class Document;
    explicit PageHandle(int object) : m_object(object) {}
    int m_object = 0;
};

// An annotation object of a page; like `PageHandle`, it names the very same object across removal.
class AnnotationHandle {
public:
    AnnotationHandle() = default;
    bool isNull() const { return m_object == 0; }
    int objectNumber() const { return m_object; }
    bool operator==(const AnnotationHandle&) const = default;

private:
    friend class Document;
    explicit AnnotationHandle(int object) : m_object(object) {}
    int m_object = 0;
};

struct AnnotationInfo {
    AnnotationHandle handle;
    QString subtype; // the PDF name without the slash: "Square", "Widget", ...
    QRectF rect;     // page space
    QString contents;
};

struct SaveOptions {
    enum class Encryption {
        Keep, // a protected document stays protected with its passwords
        None,
        Aes256,
    };
    Encryption encryption = Encryption::Keep;
    QString userPassword;  // for Aes256
    QString ownerPassword; // for Aes256
};

enum class Permission { Print, Copy, Modify, Annotate };

// A link of a page: a place in this document or an address outside it.
struct Link {
    QRectF rect;               // page space
    int pageIndex = -1;        // the target page of an internal link; -1 for an external one
    std::optional<QPointF> destination; // page space of the target page, when the link names a point
    QString uri;               // the address of an external link
    bool isExternal() const { return pageIndex < 0; }
};

// A form field's widget on a page, as far as the view fills it in.
struct FormWidget {
    enum class Type { Text, Checkbox, Other };
    AnnotationHandle handle;
    Type type = Type::Other;
    QString name;  // the field's full name
    QRectF rect;   // page space
    QString value; // a text field's text
    bool checked = false;
};

class Document {
public:
    ~Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // A new document without pages.
    static std::shared_ptr<Document> createEmpty();
    // Reads a PDF from bytes. Damaged files are repaired where MuPDF can; a file it cannot read at all is
    // an error of kind Damaged. An encrypted file opens locked.
    static Result<std::shared_ptr<Document>> open(const QByteArray& bytes);
    static Result<std::shared_ptr<Document>> openFile(const QString& path);

    // A number no other document of this process ever had: safe as a cache key where an address is not.
    quint64 serial() const;
    // Bumped by every edit made through this object.
    quint64 revision() const;

    // Locking. A locked document has no pages until a password is accepted.
    bool isEncrypted() const;
    bool isLocked() const;
    // Tries a user or owner password. Returns false (and stays locked) when the password is wrong.
    bool authenticate(const QString& password);
    // Whether the opener may do this; an owner password grants everything.
    bool hasPermission(Permission permission) const;
    bool isOwnerUnlocked() const;

    // Pages. Indices count from zero.
    int pageCount() const;
    PageHandle page(int index) const;
    int indexOf(const PageHandle& page) const; // -1 when the page is not in the page tree
    Result<PageGeometry> geometry(int index) const;
    // Takes a page out of the page tree; the handle can put the very same page back.
    Result<PageHandle> removePage(int index);
    Status insertPage(const PageHandle& page, int index);
    Status movePage(int from, int to);
    // Copies pages of another document (their annotations and form fields working) to `at`, in the order
    // given. Returns the new pages. A page that cannot be copied is skipped and reported in `failures`.
    std::vector<PageHandle> copyPages(Document& source, const std::vector<int>& indices, int at,
                                      int* failures = nullptr);

    // Rendering: the page (annotations and form fields included) at `scale` pixels per point, the crop box
    // and rotation honoured. The display list form can be rasterised on any thread.
    Result<QImage> render(int index, double scale) const;
    Result<DisplayList> displayList(int index) const;

    // Text.
    Result<StructuredText> structuredText(int index) const;
    Result<QString> pageText(int index) const;
    // The boxes (page space) of every occurrence of `needle` on the page, case-insensitive.
    Result<std::vector<QRectF>> search(int index, const QString& needle) const;

    // Annotations, in the order of the page's annotation array.
    Result<std::vector<AnnotationInfo>> annotations(int pageIndex) const;
    // Takes an annotation off its page (its popup too); returns where it stood, for `restoreAnnotation`.
    Result<int> removeAnnotation(int pageIndex, const AnnotationHandle& annotation);
    Status restoreAnnotation(int pageIndex, const AnnotationHandle& annotation, int position);

    // Links, in no particular order (PdfLinks.cpp).
    Result<std::vector<Link>> links(int pageIndex) const;

    // Form widgets of a page and filling them in; the widgets' appearances are regenerated so renders
    // show the new value at once (PdfForms.cpp).
    Result<std::vector<FormWidget>> formWidgets(int pageIndex) const;
    Status setTextFieldValue(int pageIndex, const AnnotationHandle& widget, const QString& value);
    Status toggleCheckbox(int pageIndex, const AnnotationHandle& widget);
    // Nothing when `index` names a page of an unlocked document, else an error a user can read.
    Status checkPage(int index) const;

    // The document information dictionary ("Title", "Author", ... ).
    QString infoValue(const QString& key) const;
    Status setInfoValue(const QString& key, const QString& value);

    // The outline (bookmarks).
    std::vector<OutlineItem> outline() const;
    Status setOutline(const std::vector<OutlineItem>& items);

    // The whole file, rewritten: never an incremental update, and without any page that is no longer in
    // the page tree. The document stays usable (pages kept for undo can still be put back).
    Result<QByteArray> save(const SaveOptions& options = {}) const;

    // For the other files of this layer.
    struct Impl;
    Impl& impl() const { return *m_impl; }

private:
    explicit Document(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace zepla::pdf
