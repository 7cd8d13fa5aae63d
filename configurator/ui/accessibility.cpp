#include "accessibility.h"

#include "win32api.h"

#include <QAbstractItemView>
#include <QAccessibleEvent>
#include <QApplication>
#include <QStyleFactory>

void announce(QObject *source, QAccessible::Event kind)
{
    QAccessibleEvent event(source, kind);
    QAccessible::updateAccessibility(&event);
}

void announceCell(QAbstractItemView *view, int row, int column, QAccessible::Event kind)
{
    // Only a screen reader at work asks for the cell's interface; making one
    // for nobody costs a table rebuild its time.
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(view);
    QAccessibleTableInterface *cells = table ? table->tableInterface() : nullptr;
    if (QAccessibleInterface *cell = cells ? cells->cellAt(row, column) : nullptr) {
        QAccessibleEvent event(cell, kind);
        QAccessible::updateAccessibility(&event);
    }
}

bool highContrastOn()
{
    HIGHCONTRASTW highContrast = {};
    highContrast.cbSize = sizeof highContrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof highContrast, &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON);
}

void followHighContrast()
{
    if (!highContrastOn())
        return;
    if (QStyle *classic = QStyleFactory::create(QLatin1String("windows")))
        QApplication::setStyle(classic);
}
