#include "store/OpenBank.h"

#include "store/BankPassword.h"
#include "store/ConnectText.h"

namespace store {

std::shared_ptr<Database> openBank(const QString& path, Database::Mode mode) {
    return std::make_shared<Database>(path, ConnectText::parse(BankConnectText), mode);
}

} // namespace store
