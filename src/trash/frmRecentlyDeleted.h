#pragma once

#include "data/RowHistory.h"
#include "ui/ScreenView.h"

#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

// "Recently Deleted": the drinks and collection entries deleted in the last
// 30 days, with Restore and Delete for Good.
class frmRecentlyDeleted : public QWidget, public pv::Form {
    Q_OBJECT
public:
    frmRecentlyDeleted();
    QWidget *widget() override { return this; }
    void Form_Load() override;
    void Form_Unload(int &Cancel) override;

    // Opens the one window on `catalogue`, or brings it forward, read anew.
    static void open(const QString &catalogue, QWidget *owner = nullptr);

    // Lists the kept rows anew.
    void reload();

    QLabel *lblInfo = nullptr;
    QTreeWidget *grdDeleted = nullptr;
    QPushButton *cmdRestore = nullptr;
    QPushButton *cmdForget = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    void cmdRestore_Click();
    void cmdForget_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QList<qint64> chosen() const;
    void updateButtons();

    QString m_catalogue;
    QList<pv::DeletedRow> m_rows;
};
