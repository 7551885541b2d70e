#include "mainwindow/SpeedBox.h"

SpeedBox::SpeedBox(QWidget* parent) : TypedLineEdit(MaxTyped, parent)
{
    setAlignment(Qt::AlignCenter);
}

bool SpeedBox::admits(QChar typed)
{
    return typed == QChar(8) || (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'));
}
