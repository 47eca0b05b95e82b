#include "daemon/pjlink_text/digest.h"

#include <QCryptographicHash>

namespace pv7100::daemon {

std::string pjlinkDigest(const std::string& seed, const std::string& password) {
  return QCryptographicHash::hash(QByteArray::fromStdString(seed + password),
                                  QCryptographicHash::Md5)
      .toHex()
      .toStdString();
}

}  // namespace pv7100::daemon
