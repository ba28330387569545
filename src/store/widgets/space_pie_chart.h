// The data management's picture of the container: a tilted pie, seen from
// above at an angle with its side walls showing, live data in blue and
// fragment space in fuchsia, each slice marked with its name and share.
#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

#include "store/space_pie.h"

namespace velmora::store {

class SpacePieChart : public QWidget {
    Q_OBJECT

public:
    static inline const QColor live_colour{0, 0, 255};
    static inline const QColor fragment_colour{255, 0, 255};

    explicit SpacePieChart(QWidget* parent = nullptr);

    void set_figures(double live_mb, double fragment_mb);
    // What the two marks read: the name, a line break and the share.
    QString live_mark() const;
    QString fragment_mark() const;
    SpacePieLayout layout() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double live_ = 0;
    double fragment_ = 0;
};

}  // namespace velmora::store
