#include "runner/url_policy.h"

#include <QDir>
#include <QFileInfo>

namespace runner {
namespace {

// The path with links resolved where the file exists, else cleaned.
QString ResolvedPath(const QString& path) {
  const QString canonical = QFileInfo(path).canonicalFilePath();
  return canonical.isEmpty() ? QDir::cleanPath(path) : canonical;
}

}  // namespace

bool EffectMayLoad(const QUrl& url, const QString& folder) {
  if (!url.isValid()) return false;
  const QString scheme = url.scheme().toLower();
  if (scheme == QLatin1String("data")) return true;
  if (scheme != QLatin1String("file") || !url.host().isEmpty()) return false;
  const QString path = url.path(QUrl::FullyDecoded);
  if (!path.startsWith(QLatin1Char('/'))) return false;
  QString root = ResolvedPath(folder);
  if (!root.endsWith(QLatin1Char('/'))) root += QLatin1Char('/');
  return ResolvedPath(path).startsWith(root);
}

}  // namespace runner
