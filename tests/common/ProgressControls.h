#pragma once

// The controls of the progress dialog shown while a tone file is written.

#include "common/DesignedControls.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

struct ProgressControls {
    explicit ProgressControls(const QObject* w)
        : captionLabel(DesignedControls::find<QLabel>(w, "Label1")),
          progressBar(DesignedControls::find<QProgressBar>(w, "ProgressBar1")),
          cancelButton(DesignedControls::find<QPushButton>(w, "Command1"))
    {
    }
    QLabel* captionLabel;
    QProgressBar* progressBar;
    QPushButton* cancelButton;
};

template <typename W>
ProgressControls progressControls(const W& window)
{
    return ProgressControls(DesignedControls::object(window));
}
