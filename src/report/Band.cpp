#include "report/Band.h"

#include "core/Error.h"

#include <cmath>

namespace report {

Band::Band(BandKind kind, double height) : m_kind(kind)
{
    setHeight(height);
}

Band::~Band() = default;

void Band::setHeight(double height)
{
    if (!std::isfinite(height) || height < 0)
        throw core::Error(QStringLiteral("报表区段的高度无效：%1").arg(height));
    m_height = height;
}

Element* Band::addElement(std::unique_ptr<Element> element)
{
    if (!element)
        throw core::Error(QStringLiteral("不能向报表区段加入空元素"));
    m_elements.push_back(std::move(element));
    return m_elements.back().get();
}

Label* Band::addLabel(const QString& name, const QString& text, double left, double top)
{
    auto label = std::make_unique<Label>(name, text);
    label->setLeft(left);
    label->setTop(top);
    return static_cast<Label*>(addElement(std::move(label)));
}

DataField* Band::addDataField(const QString& name, const QString& column, double left, double top)
{
    auto field = std::make_unique<DataField>(name, column);
    field->setLeft(left);
    field->setTop(top);
    return static_cast<DataField*>(addElement(std::move(field)));
}

TextBlock* Band::addTextBlock(const QString& name, const QRectF& geometry)
{
    auto block = std::make_unique<TextBlock>(name);
    block->setGeometry(geometry);
    return static_cast<TextBlock*>(addElement(std::move(block)));
}

QList<Element*> Band::elements() const
{
    QList<Element*> result;
    for (const auto& element : m_elements)
        result.append(element.get());
    return result;
}

Element* Band::element(const QString& name) const
{
    for (const auto& element : m_elements) {
        if (element->name() == name)
            return element.get();
    }
    return nullptr;
}

double Band::print(QPainter* painter, const QPointF& origin, const RowContext& context, QList<DrawnText>& drawn)
{
    if (m_beforePrint)
        m_beforePrint();
    // By index: the hook may have added elements.
    std::vector<double> growths;
    double total = 0;
    for (std::size_t i = 0; i < m_elements.size(); ++i) {
        growths.push_back(m_elements[i]->growth(context));
        total += growths.back();
    }
    for (std::size_t i = 0; i < m_elements.size(); ++i) {
        double below = 0;
        for (std::size_t j = 0; j < m_elements.size(); ++j) {
            if (m_elements[j]->top() < m_elements[i]->top())
                below += growths[j];
        }
        m_elements[i]->print(painter, origin + QPointF(0, below), context, drawn);
    }
    return m_height + total;
}

} // namespace report
