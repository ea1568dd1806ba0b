#include "gui/results/study_pages.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QDate>
#include <QFile>
#include <QLocale>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgRenderer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextObjectInterface>
#include <map>

#include "core/platform/atomic_file.h"

namespace nodewise {

namespace {

// The text object that draws a figure: its SVG rendered as vector paths.
constexpr int FigureObjectType = QTextFormat::UserObject + 1;
constexpr int FigureSvgProperty = QTextFormat::UserProperty + 1;
constexpr int FigureSizeProperty = QTextFormat::UserProperty + 2;

class FigureObject final : public QObject, public QTextObjectInterface {
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument*, int, const QTextFormat& format) override {
        return format.property(FigureSizeProperty).toSizeF();
    }
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                    const QTextFormat& format) override {
        QSvgRenderer renderer(format.property(FigureSvgProperty).toByteArray());
        if (!renderer.isValid()) {
            return;
        }
        // the drawing's own proportions, centred in its place
        QSizeF size = renderer.viewBoxF().size();
        size.scale(rect.size(), Qt::KeepAspectRatio);
        const QRectF target(rect.center() - QPointF(size.width() / 2, size.height() / 2), size);
        renderer.render(painter, target);
    }
};

// Millimetres of the margins, and of the band of the running header and of the page number.
constexpr double MarginMm = 18.0;
constexpr double BandMm = 8.0;

// Device pixels of `mm` millimetres at `dpi`.
double Pixels(double mm, int dpi) {
    return mm / 25.4 * dpi;
}

// Puts the figures in the places the text names them, sized in points on the page.
void PlaceFigures(QTextDocument& text, const StudyDocument& document, double pixelsPerPoint) {
    std::map<QString, const StudyFigure*> figures;
    for (const StudyFigure& figure : document.figures) {
        figures[QString::fromStdString(StudyFigureScheme + figure.name)] = &figure;
    }
    for (QTextBlock block = text.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat()) {
                continue;
            }
            const auto found = figures.find(fragment.charFormat().toImageFormat().name());
            if (found == figures.end()) {
                continue;
            }
            QTextCharFormat format;
            format.setObjectType(FigureObjectType);
            format.setProperty(FigureSvgProperty, QByteArray::fromStdString(found->second->svg));
            format.setProperty(FigureSizeProperty, QSizeF(found->second->width * pixelsPerPoint,
                                                          found->second->height * pixelsPerPoint));
            QTextCursor cursor(&text);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

} // namespace

StudyPages::StudyPages(const StudyDocument& document, const QString& source, const QString& date)
    : document_(document), source_(source), date_(date) {}

StudyPages::~StudyPages() = default;

int StudyPages::Paint(QPagedPaintDevice& device) {
    QPageLayout layout = device.pageLayout();
    if (!layout.isValid()) {
        layout = QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF());
    }
    layout.setMargins(QMarginsF());
    device.setPageLayout(layout);
    const int dpi = device.logicalDpiY();
    const QRectF page(QPointF(0, 0), layout.fullRectPixels(dpi).size());
    const double margin = Pixels(MarginMm, dpi);
    const double band = Pixels(BandMm, dpi);
    const QRectF body(margin, margin + band, page.width() - 2 * margin,
                      page.height() - 2 * margin - 2 * band);

    QTextDocument text;
    text.documentLayout()->setPaintDevice(&device);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(9.0);
    text.setDefaultFont(font);
    text.setDefaultStyleSheet(
        QStringLiteral("h1 { font-size: 16pt; } h2 { font-size: 13pt; } h3 { font-size: 10.5pt; } "
                       "th { background-color: #eeeeee; }"));
    FigureObject figures;
    text.documentLayout()->registerHandler(FigureObjectType, &figures);
    text.setHtml(QString::fromStdString(document_.html));
    PlaceFigures(text, document_, dpi / 72.0);
    text.setPageSize(body.size());
    const int pages = text.pageCount();

    QPainter painter(&device);
    QFont small = font;
    small.setPointSizeF(7.5);
    for (int p = 0; p < pages; ++p) {
        if (p > 0) {
            device.newPage();
        }
        painter.setFont(small);
        painter.setPen(Qt::darkGray);
        const QRectF header(margin, margin, body.width(), band);
        painter.drawText(header, Qt::AlignLeft | Qt::AlignTop,
                         source_.isEmpty() ? QStringLiteral("Rete senza nome") : source_);
        painter.drawText(header, Qt::AlignRight | Qt::AlignTop, date_);
        painter.drawLine(QPointF(margin, margin + band * 0.7),
                         QPointF(margin + body.width(), margin + band * 0.7));
        const QRectF footer(margin, body.bottom() + band * 0.3, body.width(), band);
        painter.drawText(footer, Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("Pagina %1 di %2").arg(p + 1).arg(pages));

        painter.save();
        painter.translate(body.left(), body.top() - p * body.height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, p * body.height(), body.width(), body.height());
        painter.setClipRect(context.clip);
        text.documentLayout()->draw(&painter, context);
        painter.restore();
    }
    painter.end();
    return pages;
}

QString StudyDate() {
    return QLocale(QLocale::Italian, QLocale::Italy)
        .toString(QDate::currentDate(), QStringLiteral("d MMMM yyyy"));
}

bool WriteStudyPdf(const StudyDocument& document, const QString& source, const QString& path,
                   QString* reason) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setTitle(QString::fromStdString(document.title));
        writer.setCreator(QStringLiteral("Nodewise"));
        writer.setResolution(600);
        writer.setPageSize(QPageSize(QPageSize::A4));
        StudyPages(document, source, StudyDate()).Paint(writer);
    }
    const QByteArray bytes = buffer.data();
    std::string why;
    const QByteArray local = QFile::encodeName(path);
    if (!WriteFileAtomically(
            std::string(local.constData(), static_cast<std::size_t>(local.size())),
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &why)) {
        if (reason != nullptr) {
            *reason = QString::fromStdString(why);
        }
        return false;
    }
    return true;
}

} // namespace nodewise

#include "study_pages.moc"
