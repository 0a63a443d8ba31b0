#pragma once

#include "OrvReadStatus.h"

#include <QDialog>
#include <QStringList>

class MyFesPointListWidget;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

// Walks from a location and a subsystem down to an RTU, one of its devices and a point type,
// and lists that device's front-end points for dragging into other views.
class OrvFesPointDlg : public QDialog
{
    Q_OBJECT
public:
    // The list entries show "description（tag）"; the description alone is under this role.
    static constexpr int DescriptionRole = Qt::UserRole + 1;

    explicit OrvFesPointDlg(QWidget *parent = nullptr);

    // "table;tag;description" of every selected point, in selectedItems() order.
    QStringList getDragStrings() const;

public slots:
    void onLocationAndSubsystemChange();
    void onRtuChanged();
    void onTextChanged(const QString &text);
    void onPointTypeChanged();
    void onPointClieck(QListWidgetItem *item);

private:
    // The point table of a point type number; empty for an unknown number.
    static QString pointTable(int nPointType);
    void buildLayout();
    void fillBoxes();
    void connectSlots();
    void clearPoints();

    QComboBox *m_location = nullptr;
    QComboBox *m_subsystem = nullptr;
    QComboBox *m_rtu = nullptr;
    QLineEdit *m_devFilter = nullptr;
    QListWidget *m_devices = nullptr;
    QComboBox *m_pointType = nullptr;
    MyFesPointListWidget *m_points = nullptr;
    QLineEdit *m_tagName = nullptr;
    OrvReadStatus m_readStatus;
};
