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
#include <QStringList>

#include <memory>
#include <optional>
#include <utility>
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

// What a page shows (its content streams and their resources) at one moment, kept as an object of the
// document so that an edit of the content can be undone exactly. Nothing points at it from the page tree, so
// it never reaches a saved file.
class PageContent {
public:
    PageContent() = default;
    bool isNull() const { return m_object == 0; }

private:
    friend class Document;
    explicit PageContent(int object) : m_object(object) {}
    int m_object = 0;
};

// A font a page shows text in, as far as setting new text in it needs.
struct PageFont {
    QString name;       // as the file names it ("ABCDEF+CMR10")
    QByteArray program; // the font file the page embeds; empty when it embeds none
    // What the program itself tells of its look (serif where it tells nothing).
    bool serif = false;
    bool monospaced = false;
    bool bold = false;
    bool italic = false;
    // What the font's descriptor says, where it has one.
    struct Descriptor {
        int flags = 0;  // /Flags: 1 fixed pitch, 2 serif, 64 italic, 1 << 18 force bold, ...
        int weight = 0; // /FontWeight, 0 when not given
        double italicAngle = 0;
    };
    std::optional<Descriptor> descriptor;
};

struct AnnotationInfo {
    AnnotationHandle handle;
    QString subtype; // the PDF name without the slash: "Square", "Widget", ...
    QRectF rect;     // page space: where it shows (an upright-keeping one turned about its corner)
    QString contents;
};

// A value of an annotation's dictionary, as the annotation writers describe what goes into the file.
class ObjectValue {
public:
    enum class Type { Null, Boolean, Number, Name, Text, Array, Dictionary };
    using Entries = std::vector<std::pair<QByteArray, ObjectValue>>;

    ObjectValue() = default; // null: as an entry to write, it removes the key
    ObjectValue(bool value) : m_type(Type::Boolean), m_number(value ? 1 : 0) {}
    ObjectValue(int value) : m_type(Type::Number), m_number(value) {}
    ObjectValue(double value) : m_type(Type::Number), m_number(value) {}
    static ObjectValue name(const QByteArray& name);
    static ObjectValue text(const QString& text);
    static ObjectValue array(std::vector<ObjectValue> items);
    static ObjectValue numbers(const std::vector<double>& numbers);
    static ObjectValue dictionary(Entries entries);

    Type type() const { return m_type; }
    double number() const { return m_number; }
    const QByteArray& nameValue() const { return m_bytes; }
    const QString& textValue() const { return m_text; }
    const std::vector<ObjectValue>& items() const { return m_items; }
    const Entries& entries() const { return m_entries; }

private:
    Type m_type = Type::Null;
    double m_number = 0;
    QByteArray m_bytes;
    QString m_text;
    std::vector<ObjectValue> m_items;
    Entries m_entries;
};

// The samples of a picture an appearance shows: 8-bit RGB, and 8-bit opacity kept as the image's soft mask
// (empty for an opaque picture), row by row from the top.
struct ImageSamples {
    int width = 0;
    int height = 0;
    QByteArray rgb;
    QByteArray alpha;
};

// The samples of any picture (PdfPictureSamples.cpp).
ImageSamples imageSamples(const QImage& image);

// A picture's samples as the file stores them: zlib streams for /FlateDecode. Compressing is the costly part
// of putting a picture in a document, so it can be done on any thread beforehand.
struct DeflatedImage {
    int width = 0;
    int height = 0;
    QByteArray rgb;
    QByteArray alpha; // empty for an opaque picture
};
// Compresses the samples; touches no document (PdfImageXObject.cpp).
DeflatedImage deflateImage(const ImageSamples& samples);

// One appearance stream of an annotation: a form drawn in page space over `bbox`, so that moving the
// annotation's rectangle moves the drawing with it.
struct AppearanceStream {
    QRectF bbox;        // the stream's own space
    QTransform matrix;  // from the stream's space to page space (its /Matrix)
    QByteArray content; // content stream operators
    // Graphics states /<name> setting fill and stroke opacity.
    std::vector<std::pair<QByteArray, double>> opacities;
    // The drawing multiplies with what lies beneath (a highlight over text).
    bool multiplies = false;
    // Fonts /<name> embedded from font files as CID fonts: text shows two-byte codes, each standing for a
    // glyph and for the characters it reads as. Only the glyphs the stream shows are embedded.
    struct Font {
        QByteArray name;
        QString file;
        std::vector<quint32> glyphs;
        // A code is its glyph's index, unless that glyph reads as other characters elsewhere in the stream
        // (a vowel sign before different consonants): then it is a code of its own past the font's glyphs.
        struct Code {
            quint32 code;
            quint32 glyph;
            QString text;
        };
        std::vector<Code> codes;
    };
    std::vector<Font> fonts;
    // Image XObjects /<name>.
    std::vector<std::pair<QByteArray, ImageSamples>> images;
};

// The normal appearance: one stream under an empty state name, or a stream per state (a checkbox's /Yes
// and /Off) with the annotation's /AS choosing one.
using AppearanceStates = std::vector<std::pair<QByteArray, AppearanceStream>>;

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
    QRectF rect;                        // page space
    int pageIndex = -1;                 // the target page of an internal link; -1 for an external one
    std::optional<QPointF> destination; // page space of the target page, when the link names a point
    QString uri;                        // the address of an external link
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
    // Reads a PDF file where it lies, without reading it into memory: only a regular file that starts like a
    // PDF is read further (anything else is an error of kind Damaged at once).
    static Result<std::shared_ptr<Document>> openFile(const QString& path);
    // The file as it was read, for writing a locked document back unchanged.
    QByteArray originalBytes() const;

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
    // The file is encrypted, but damage took what its protection needs (the file identifier of an RC4 or
    // AES-128 file): no password opens it. It shows what it can and is never saved with its protection kept,
    // which would write it over with its content lost; an unprotected copy is possible where its pages'
    // content decodes (not `isContentDamaged`).
    bool isProtectionDamaged() const;
    // The file had to be repaired at open and the content of some of its pages cannot be decoded (it may be
    // the ciphertext of an encryption whose dictionary or file identifier was lost): read-only, as writing it
    // over would leave nothing readable in its place. Copies to other files are still possible, but not an
    // unprotected copy, which is refused where a page's content does not decode.
    bool isContentDamaged() const;

    // Pages. Indices count from zero.
    int pageCount() const;
    // Pages of the file that could not be read (a page dictionary nested beyond reason, say): each keeps its
    // place as a blank page, so that nothing after it moves and the count stays true. The first call also
    // puts in their places the pages that only a reading of the file's objects finds (their entry of the
    // cross-reference lost, their node cut off from the tree); the revision tells whether it changed pages.
    int unreadablePageCount() const;
    PageHandle page(int index) const;
    int indexOf(const PageHandle& page) const; // -1 when the page is not in the page tree
    Result<PageGeometry> geometry(int index) const;
    // The geometry of pages `first` to `last`, in one pass: each page is found directly, where a loop over
    // `geometry` walks the tree up to every page it asks for.
    std::vector<Result<PageGeometry>> geometries(int first, int last) const;
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
    // The font of the character whose box holds `point` (page space); none where no character is.
    Result<std::optional<PageFont>> fontAt(int index, const QPointF& point) const;

    // Takes the glyphs of one line of the page's text (as `structuredText` gives it) out of the page's
    // content and of the forms it draws; every other glyph is drawn exactly where it was
    // (PdfLineRemoval.cpp).
    Status removeLine(int index, const TextLine& line);
    // Adds a drawing (page space) on top of everything the page's content draws (PdfAnnotationWrite.cpp).
    Status drawOnPage(int index, const AppearanceStream& drawing);
    // What the page shows now, and showing it again later (PdfPageContent.cpp).
    Result<PageContent> keepPageContent(int index);
    Status setPageContent(int index, const PageContent& content);

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

    // Creates an annotation object on a page (/Type /Annot and /P are set here) with the given entries and
    // appearance, at the end of the page's annotation array. A widget that has a field name (/T) also
    // becomes a field of the document's form.
    Result<AnnotationHandle> createAnnotation(int pageIndex, const ObjectValue::Entries& entries,
                                              const AppearanceStates& appearance);
    // Sets entries of an annotation (a null value removes the key), and replaces its appearance when one
    // is given. Works on and off the page.
    Status updateAnnotation(const AnnotationHandle& annotation, const ObjectValue::Entries& entries,
                            const AppearanceStates* appearance = nullptr);
    // A number entry of an annotation (0 when it has none): for flags and sizes. A key path "BS/W" reads
    // an entry of a dictionary entry.
    double annotationNumber(const AnnotationHandle& annotation, const QByteArray& key) const;
    // An array entry of numbers as one list ("C", "L", "QuadPoints"), or an array of such arrays as one
    // list each ("InkList"); empty when the annotation has no such entry.
    std::vector<std::vector<double>> annotationNumberArrays(const AnnotationHandle& annotation,
                                                            const QByteArray& key) const;
    // The fully qualified names of the form's fields.
    QStringList fieldNames() const;
    // Puts a widget into the form's field list or takes it out, so that a field taken off its page
    // (for undo) is not left behind as a field without a place.
    Status setFieldListed(const AnnotationHandle& widget, bool listed);

    // The document information dictionary ("Title", "Author", ... ).
    QString infoValue(const QString& key) const;
    Status setInfoValue(const QString& key, const QString& value);

    // The outline (bookmarks).
    std::vector<OutlineItem> outline() const;
    Status setOutline(const std::vector<OutlineItem>& items);

    // The whole file, rewritten: never an incremental update, and without any page that is no longer in
    // the page tree. The document stays usable (pages kept for undo can still be put back). The bytes are
    // read back before they are returned (`verifyCopy`): a copy that lost anything is an error, never bytes.
    // A document whose protection is damaged is not written with its protection kept.
    Result<QByteArray> save(const SaveOptions& options = {}) const;
    // Whether `bytes` hold this document as `save(options)` must write it: they open (with the password
    // the options give), keep the protection asked for, have every page, each page loads where it loads
    // here, and each page's content that decodes here decodes to the same in the copy. The error is one
    // plain reason ("The saved copy is missing page 4.").
    Status verifyCopy(const QByteArray& bytes, const SaveOptions& options = {}) const;

    // For the other files of this layer.
    struct Impl;
    Impl& impl() const { return *m_impl; }
    static std::shared_ptr<Document> adopt(std::unique_ptr<Impl> impl);

private:
    explicit Document(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace zepla::pdf
