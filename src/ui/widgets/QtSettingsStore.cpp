#include "ui/widgets/QtSettingsStore.h"

#include <QByteArray>
#include <QSettings>
#include <QStringList>
#include <QVariant>

namespace corvanta::ui {

namespace {

QString Group(const std::string& section) {
  QString group = QString::fromStdString(section);
  group.replace(QLatin1Char('\\'), QLatin1Char('/'));
  return group;
}

QString Key(const std::string& section, const std::string& name) {
  QString group = Group(section);
  QString key = QString::fromStdString(name);
  return group.isEmpty() ? key : group + QLatin1Char('/') + key;
}

}  // namespace

QtSettingsStore::QtSettingsStore() : settings_(std::make_unique<QSettings>(kOrganisation, kApplication)) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::optional<std::string> QtSettingsStore::ReadRaw(const std::string& section, const std::string& name) const {
  QVariant v = settings_->value(Key(section, name));
  if (!v.isValid() || v.typeId() == QMetaType::QByteArray) return std::nullopt;
  // An INI line edited by hand with unquoted commas reads as a list.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(QStringLiteral(", ")).toStdString();
  return v.toString().toStdString();
}

std::optional<std::vector<uint8_t>> QtSettingsStore::ReadBinary(const std::string& section,
                                                                const std::string& name) const {
  QVariant v = settings_->value(Key(section, name));
  if (v.typeId() != QMetaType::QByteArray) return std::nullopt;
  QByteArray bytes = v.toByteArray();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

void QtSettingsStore::WriteRaw(const std::string& section, const std::string& name, const std::string& value) {
  settings_->setValue(Key(section, name), QString::fromStdString(value));
}

void QtSettingsStore::WriteBinary(const std::string& section, const std::string& name,
                                  const std::vector<uint8_t>& value) {
  settings_->setValue(Key(section, name),
                      QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
}

void QtSettingsStore::EraseSection(const std::string& section) {
  settings_->beginGroup(Group(section));
  const QStringList keys = settings_->childKeys();
  for (const QString& key : keys) settings_->remove(key);
  settings_->endGroup();
}

std::vector<std::string> QtSettingsStore::ValueNames(const std::string& section) const {
  settings_->beginGroup(Group(section));
  const QStringList keys = settings_->childKeys();
  settings_->endGroup();
  std::vector<std::string> names;
  names.reserve(static_cast<size_t>(keys.size()));
  for (const QString& key : keys) names.push_back(key.toStdString());
  return names;
}

bool QtSettingsStore::HasValue(const std::string& section, const std::string& name) const {
  return settings_->contains(Key(section, name));
}

void QtSettingsStore::Sync() { settings_->sync(); }

}  // namespace corvanta::ui
