// Errors: the descriptions of VBScript's error numbers, COM failure codes mapped to them, and
// the engine's raising and recording of errors (Err).
#include "vbscript/Engine.h"

#include "engine/EngineImpl.h"
#include "lib/strings/strings.h"

namespace vbs {

void ThrowError(int32_t number) {
    throw ScriptException(number);
}

std::u16string ErrorDescription(int32_t number) {
    switch (number) {
        case 5:
            return u"Invalid procedure call or argument";
        case 6:
            return u"Overflow";
        case 7:
            return u"Out of memory";
        case 9:
            return u"Subscript out of range";
        case 10:
            return u"This array is fixed or temporarily locked";
        case 11:
            return u"Division by zero";
        case 13:
            return u"Type mismatch";
        case 14:
            return u"Out of string space";
        case 28:
            return u"Out of stack space";
        case 35:
            return u"Sub or Function not defined";
        case 48:
            return u"Error in loading DLL";
        case 51:
            return u"Internal error";
        case 52:
            return u"Bad file name or number";
        case 53:
            return u"File not found";
        case 54:
            return u"Bad file mode";
        case 55:
            return u"File already open";
        case 57:
            return u"Device I/O error";
        case 58:
            return u"File already exists";
        case 61:
            return u"Disk full";
        case 62:
            return u"Input past end of file";
        case 67:
            return u"Too many files";
        case 68:
            return u"Device unavailable";
        case 70:
            return u"Permission denied";
        case 71:
            return u"Disk not ready";
        case 74:
            return u"Can't rename with different drive";
        case 75:
            return u"Path/File access error";
        case 76:
            return u"Path not found";
        case 91:
            return u"Object variable not set";
        case 92:
            return u"For loop not initialized";
        case 94:
            return u"Invalid use of Null";
        case 322:
            return u"Can't create necessary temporary file";
        case 424:
            return u"Object required";
        case 429:
            return u"ActiveX component can't create object";
        case 430:
            return u"Class doesn't support Automation";
        case 432:
            return u"File name or class name not found during Automation operation";
        case 438:
            return u"Object doesn't support this property or method";
        case 440:
            return u"Automation error";
        case 445:
            return u"Object doesn't support this action";
        case 446:
            return u"Object doesn't support named arguments";
        case 447:
            return u"Object doesn't support current locale setting";
        case 448:
            return u"Named argument not found";
        case 449:
            return u"Argument not optional";
        case 450:
            return u"Wrong number of arguments or invalid property assignment";
        case 451:
            return u"Object not a collection";
        case 453:
            return u"Specified DLL function not found";
        case 455:
            return u"Code resource lock error";
        case 457:
            return u"This key is already associated with an element of this collection";
        case 458:
            return u"Variable uses an Automation type not supported in VBScript";
        case 462:
            return u"The remote server machine does not exist or is unavailable";
        case 481:
            return u"Invalid picture";
        case 500:
            return u"Variable is undefined";
        case 501:
            return u"Illegal assignment";
        case 502:
            return u"Object not safe for scripting";
        case 503:
            return u"Object not safe for initializing";
        case 504:
            return u"Object not safe for creating";
        case 505:
            return u"Invalid or unqualified reference";
        case 506:
            return u"Class not defined";
        case 507:
            return u"An exception occurred";
        case 1001:
            return u"Out of memory";
        case 1002:
            return u"Syntax error";
        case 1003:
            return u"Expected ':'";
        case 1005:
            return u"Expected '('";
        case 1006:
            return u"Expected ')'";
        case 1007:
            return u"Expected ']'";
        case 1010:
            return u"Expected identifier";
        case 1011:
            return u"Expected '='";
        case 1012:
            return u"Expected 'If'";
        case 1013:
            return u"Expected 'To'";
        case 1014:
            return u"Expected 'End'";
        case 1015:
            return u"Expected 'Function'";
        case 1016:
            return u"Expected 'Sub'";
        case 1017:
            return u"Expected 'Then'";
        case 1018:
            return u"Expected 'Wend'";
        case 1019:
            return u"Expected 'Loop'";
        case 1020:
            return u"Expected 'Next'";
        case 1021:
            return u"Expected 'Case'";
        case 1022:
            return u"Expected 'Select'";
        case 1023:
            return u"Expected expression";
        case 1024:
            return u"Expected statement";
        case 1025:
            return u"Expected end of statement";
        case 1026:
            return u"Expected integer constant";
        case 1027:
            return u"Expected 'While', 'Until' or end of statement";
        case 1028:
            return u"Expected 'While,' 'Until,' or end of statement";
        case 1029:
            return u"Expected 'With'";
        case 1030:
            return u"Identifier too long";
        case 1031:
            return u"Invalid number";
        case 1032:
            return u"Invalid character";
        case 1033:
            return u"Unterminated string constant";
        case 1034:
            return u"Unterminated comment";
        case 1037:
            return u"Invalid use of 'Me' keyword";
        case 1038:
            return u"'loop' without 'do'";
        case 1039:
            return u"Invalid 'exit' statement";
        case 1040:
            return u"Invalid 'for' loop control variable";
        case 1041:
            return u"Name redefined";
        case 1042:
            return u"Must be first statement on the line";
        case 1043:
            return u"Cannot assign to non-ByVal argument";
        case 1044:
            return u"Cannot use parentheses when calling a Sub";
        case 1045:
            return u"Expected literal constant";
        case 1046:
            return u"Expected 'In'";
        case 1047:
            return u"Expected 'Class'";
        case 1048:
            return u"Must be defined inside a Class";
        case 1049:
            return u"Expected Let or Set or Get in property declaration";
        case 1050:
            return u"Expected 'Property'";
        case 1051:
            return u"Number of arguments must be consistent across property declarations";
        case 1052:
            return u"Cannot have multiple default property/method in a Class";
        case 1053:
            return u"Class initialize or terminate do not have arguments";
        case 1054:
            return u"Property set or let must have at least one argument";
        case 1055:
            return u"Unexpected 'Next'";
        case 1056:
            return u"'Default' can be specified only on 'Property' or 'Function' or 'Sub'";
        case 1057:
            return u"'Default' must also be declared 'Public'";
        case 1058:
            return u"'Default' can only be declared on Property Get";
        case 5016:
            return u"Regular Expression object expected";
        case 5017:
            return u"Syntax error in regular expression";
        case 5018:
            return u"Unexpected quantifier";
        case 5019:
            return u"Expected ']' in regular expression";
        case 5020:
            return u"Expected ')' in regular expression";
        case 5021:
            return u"Invalid range in character set";
        case 32811:
            return u"Element not found";
        case kErrTimeout:
            return u"Script execution timed out";
        case kErrBusy:
            return u"A script is running: the engine cannot be reset now";
        default:
            return {};
    }
}

int32_t ErrorFromHResult(int32_t hresult) {
    uint32_t h = uint32_t(hresult);
    if ((h & 0xFFFF0000u) == 0x800A0000u) return int32_t(h & 0xFFFF);
    switch (h) {
        case 0x80004001u:
            return 445;
        case 0x80004002u:
            return 430;
        case 0x80020001u:
            return 438;
        case 0x80020003u:
            return 438;
        case 0x80020004u:
            return 448;
        case 0x80020005u:
            return 13;
        case 0x80020006u:
            return 438;
        case 0x80020007u:
            return 446;
        case 0x80020008u:
            return 458;
        case 0x8002000Au:
            return 6;
        case 0x8002000Bu:
            return 9;
        case 0x8002000Cu:
            return 447;
        case 0x8002000Du:
            return 10;
        case 0x8002000Eu:
            return 450;
        case 0x8002000Fu:
            return 449;
        case 0x80020011u:
            return 451;
        case 0x8002802Fu:
            return 453;
        case 0x80028CA0u:
            return 13;
        case 0x80028CA1u:
            return 9;
        case 0x80028CA2u:
            return 57;
        case 0x80028CA3u:
            return 322;
        case 0x80030002u:
            return 432;
        case 0x80030003u:
            return 76;
        case 0x80030004u:
            return 67;
        case 0x80030005u:
            return 70;
        case 0x80030008u:
            return 7;
        case 0x80030012u:
            return 67;
        case 0x80030013u:
            return 70;
        case 0x8003001Du:
            return 57;
        case 0x8003001Eu:
            return 57;
        case 0x80030020u:
            return 75;
        case 0x80030021u:
            return 70;
        case 0x80030050u:
            return 58;
        case 0x80030070u:
            return 61;
        case 0x800300FCu:
            return 53;
        case 0x80030100u:
            return 70;
        case 0x80030101u:
            return 70;
        case 0x80030103u:
            return 57;
        case 0x80040154u:
            return 429;
        case 0x800401E3u:
            return 429;
        case 0x800401E6u:
            return 432;
        case 0x800401EAu:
            return 432;
        case 0x800401F3u:
            return 429;
        case 0x800401F5u:
            return 429;
        case 0x800401FEu:
            return 429;
        case 0x80070005u:
            return 70;
        case 0x8007000Eu:
            return 7;
        case 0x80070057u:
            return 5;
        case 0x800706BAu:
            return 462;
        case 0x80080005u:
            return 429;
        default:
            return hresult;
    }
}

void EngineImpl::SetErr(const ScriptException& ex) {
    err.number = ex.number;
    err.description = ex.description.empty() ? ErrorDescription(ex.number) : ex.description;
    if (!ex.source.empty())
        err.source = ex.source;
    else if (ex.number >= 1000 && ex.number < 1100)
        err.source = u"Microsoft VBScript compilation error";
    else
        err.source = u"Microsoft VBScript runtime error";
    err.helpFile = ex.helpFile;
    err.helpContext = ex.helpContext;
}

void EngineImpl::ThrowUndefined(int atom) {
    ThrowNamed(kErrUndefined, store_->atoms[size_t(atom)].name);
}

void EngineImpl::ThrowNamed(int32_t number, std::u16string_view name) {
    ScriptException ex(number);
    ex.name = name;
    throw ex;
}

}  // namespace vbs
