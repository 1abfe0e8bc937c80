#pragma once

#include <QAbstractTableModel>
#include <cstdint>

#include "monitor/watch/HostGrid.h"

namespace kestrove {

// `MSFlexGrid1`: two headed columns over the engine's current ARP rows. Only the rows on screen
// are formatted, so a table of thousands of hosts redraws cheaply every second.
class HostGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit HostGridModel(const HostGrid& grid, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void Refresh();

private:
    const HostGrid& grid_;
    std::uint64_t shown_ = 0;
    int rows_ = 0;
};

}  // namespace kestrove
