#pragma once

#include <QImage>
#include <QWidget>

namespace report {

class Report;

// Shows a report's page as it prints, at the report's page size times the scale (1.0: 100%).
// Repaints only when told to, since painting runs the report's hooks.
class ReportView : public QWidget
{
    Q_OBJECT

public:
    explicit ReportView(QWidget* parent = nullptr);

    Report* report() const { return m_report; }
    void setReport(Report* report); // not owned: the caller keeps it alive, or sets nullptr first
    double scale() const { return m_scale; }
    void setScale(double scale); // refuses a scale that is not a positive number (core::Error)
    QSize sizeHint() const override;

    // Shows these dots one screen pixel each instead of the page (a receipt printer's picture of
    // it); a null image shows the page again.
    void setDots(const QImage& dots);
    QImage dots() const { return m_dots; }

public slots:
    // The report changed (page size, texts, rows): resize to the page and repaint.
    void refresh();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QSize pageSize() const;

    Report* m_report = nullptr;
    double m_scale = 1.0;
    QImage m_dots;
};

} // namespace report
