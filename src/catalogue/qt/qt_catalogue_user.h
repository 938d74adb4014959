#pragma once
// The catalogue's questions and messages as modal message boxes and input boxes.

#include <QWidget>

#include "catalogue/catalogue.h"

namespace tw {

class QtCatalogueUser : public CatalogueUser {
 public:
  explicit QtCatalogueUser(QWidget* parent) : parent_(parent) {}

  void Warning(const std::string& text) override;
  void Error(const std::string& text) override;
  bool Confirm(const std::string& question) override;
  std::optional<std::string> Input(const std::string& caption, const std::string& prompt,
                                   const std::string& initial) override;
  void Information(const std::string& text);

 private:
  QWidget* parent_;
};

// Message text for a Qt label: CR LF line breaks become plain ones.
QString MessageText(const std::string& text);

}  // namespace tw
