#pragma once

// The list of matching stations that drops from a station field while the user types. It is
// a popup window, so the form around the field keeps its layout; the field's text stays what
// was typed until a row is picked, and a pick only puts the name into the field.

#include <QCompleter>
#include <initializer_list>
#include <memory>

class QAbstractItemView;
class QLineEdit;
class QStringListModel;

namespace velomar {

class StationSuggestions;

class StationCompleter : public QCompleter {
  public:
    // Belongs to `field` from then on. Offers what `suggestions` finds (without it, the
    // matcher's order without the timetables' trains).
    StationCompleter(QLineEdit& field, std::shared_ptr<StationSuggestions> suggestions);

    // The names the open list offers.
    QStringList offered() const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refresh(const QString& text);
    void place();

    QLineEdit& m_field;
    std::shared_ptr<StationSuggestions> m_suggestions;
    QStringListModel* m_names;
    QAbstractItemView* m_list = nullptr;  // the completer's popup, once made
    QString m_typed;                      // the text the list was made for
};

// Gives each field its own completer, all over the same suggestions.
void AttachStationCompleters(std::initializer_list<QLineEdit*> fields,
                             const std::shared_ptr<StationSuggestions>& suggestions);
// The completer of a field, or null.
StationCompleter* StationCompleterOf(const QLineEdit& field);

}  // namespace velomar
