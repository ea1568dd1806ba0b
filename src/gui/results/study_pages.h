// The study laid out on A4 pages: a running header with the network's file name and the date,
// numbered pages, the text as text and the figures as vector drawings, the same on a printer
// (the print preview) and in a PDF file.
#pragma once

#include <QString>
#include <memory>

#include "core/report/study_document.h"

class QPagedPaintDevice;
class QTextDocument;

namespace nodewise {

class StudyPages {
public:
    // `source`: the file the network came from, or empty; `date`: as the header shows it.
    StudyPages(const StudyDocument& document, const QString& source, const QString& date);
    ~StudyPages();
    StudyPages(const StudyPages&) = delete;
    StudyPages& operator=(const StudyPages&) = delete;

    // Lays the study out for the device's page (A4 unless the device says otherwise) and paints
    // every page on it; returns the number of pages.
    int Paint(QPagedPaintDevice& device);

private:
    StudyDocument document_;
    QString source_;
    QString date_;
};

// Today's date as the header shows it ("8 dicembre 2026").
QString StudyDate();

// Writes the study as a PDF (A4, fonts embedded); false with the system's reason on failure.
// The file is written whole or not at all.
bool WriteStudyPdf(const StudyDocument& document, const QString& source, const QString& path,
                   QString* reason = nullptr);

} // namespace nodewise
