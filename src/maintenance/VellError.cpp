#include "maintenance/VellError.h"

Error vellErrorWithCode(long code, const std::string& localizedDescription) {
    return Error{"com.vell", code, localizedDescription};
}
