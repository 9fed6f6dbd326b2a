// Ids of the error catalogue, by category. An id counts the category's two
// leading fields (code and type), so the first error of a category is 2.
#pragma once

namespace xel::err {

namespace throw_ {
constexpr int kBreak = 2;
constexpr int kReturn = 3;
constexpr int kThrow = 4;
constexpr int kContinue = 5;
constexpr int kWhileCond = 6;
} // namespace throw_

namespace note {
constexpr int kNoLoad = 2;
} // namespace note

namespace syntax {
constexpr int kInvalid = 2;
constexpr int kMissing = 3;
constexpr int kNoHeader = 4;
constexpr int kNoXsHeader = 5;
constexpr int kBadHeader = 6;
constexpr int kMalconstruct = 7;
constexpr int kBadChar = 8;
} // namespace syntax

namespace script {
constexpr int kNoValue = 2;
constexpr int kNeedValue = 3;
constexpr int kNotDefined = 4;
constexpr int kNotInContext = 5;
constexpr int kNoArg = 6;
constexpr int kExpectArg = 7;
constexpr int kExpectVal = 8;
constexpr int kExpectType = 9;
constexpr int kCannotUse = 10;
constexpr int kInvalidArg = 11;
constexpr int kInvalidType = 12;
constexpr int kInvalidTypeSpec = 13;
constexpr int kInvalidKeyType = 14;
constexpr int kInvalidOp = 15;
constexpr int kNoOpArg = 16;
constexpr int kBadOpSpec = 17;
constexpr int kInvalidData = 18;
constexpr int kInvalidPart = 19;
constexpr int kNotSameType = 20;
constexpr int kNotSameClass = 21;
constexpr int kNotRelated = 22;
constexpr int kBadFuncDef = 23;
constexpr int kBadFuncArg = 24;
constexpr int kBadFuncExtern = 25;
constexpr int kNoRefine = 26;
constexpr int kBadRefines = 27;
constexpr int kBadRefine = 28;
constexpr int kDupRefine = 29;
constexpr int kWordFirst = 30;
constexpr int kEmptyPath = 31;
constexpr int kUnsetPath = 32;
constexpr int kInvalidPath = 33;
constexpr int kInvalidPathSet = 34;
constexpr int kInvalidPathGet = 35;
constexpr int kBadPathType = 36;
constexpr int kBadPathType2 = 37;
constexpr int kBadPathSet = 38;
constexpr int kBadFieldSet = 39;
constexpr int kDupVars = 40;
constexpr int kPastEnd = 41;
constexpr int kMissingArg = 42;
constexpr int kOutOfRange = 43;
constexpr int kInvalidChars = 44;
constexpr int kInvalidCompare = 45;
constexpr int kWrongType = 46;
constexpr int kInvalidRefineArg = 47;
constexpr int kTypeLimit = 48;
constexpr int kSizeLimit = 49;
constexpr int kNoReturn = 50;
constexpr int kThrowUsage = 51;
constexpr int kLockedWord = 52;
constexpr int kProtected = 53;
constexpr int kBadBad = 54;
constexpr int kBadMakeArg = 55;
constexpr int kBadToArg = 56;
constexpr int kInvalidMonths = 57;
constexpr int kInvalidSpecField = 58;
constexpr int kMissingSpecField = 59;
constexpr int kMoveBad = 60;
constexpr int kTooLong = 61;
constexpr int kInvalidChar = 62;
constexpr int kBadLoopSeries = 63;
constexpr int kWrongDenom = 64;
constexpr int kBadDenom = 65;
constexpr int kInvalidObjEvt = 66;
constexpr int kParseRule = 67;
constexpr int kParseEnd = 68;
constexpr int kParseInvalidRef = 69;
constexpr int kParseBlock = 70;
constexpr int kParseUnsupported = 71;
constexpr int kParseInfinite = 72;
constexpr int kParseStack = 73;
constexpr int kParseKeep = 74;
constexpr int kParseIntoBad = 75;
constexpr int kParseIntoType = 76;
constexpr int kDrawInvalid = 77;
constexpr int kDrawInfinite = 78;
constexpr int kInvalidDataFacet = 79;
constexpr int kFaceType = 80;
constexpr int kNotWindow = 81;
constexpr int kBadWindow = 82;
constexpr int kNotLinked = 83;
constexpr int kNotEventType = 84;
constexpr int kInvalidFacetType = 85;
constexpr int kVozInvalidSyntax = 86;
constexpr int kRtdInvalidSyntax = 87;
constexpr int kRtdNoMatch = 88;
constexpr int kReactBadFunc = 89;
constexpr int kReactNotEnough = 90;
constexpr int kReactNoMatch = 91;
constexpr int kReactBadObj = 92;
constexpr int kReactGctx = 93;
constexpr int kLibInvalidArg = 94;
constexpr int kXelbinInvalidRecord = 95;
} // namespace script

namespace math {
constexpr int kZeroDivide = 2;
constexpr int kOverflow = 3;
constexpr int kPositive = 4;
} // namespace math

namespace access {
constexpr int kCannotOpen = 2;
constexpr int kCannotClose = 3;
constexpr int kInvalidUtf8 = 4;
constexpr int kNotOpen = 5;
constexpr int kNoConnect = 6;
constexpr int kNoScheme = 7;
constexpr int kUnknownScheme = 8;
constexpr int kInvalidSpec = 9;
constexpr int kInvalidPort = 10;
constexpr int kInvalidActor = 11;
constexpr int kNoPortAction = 12;
constexpr int kNoCreate = 13;
constexpr int kNoCodec = 14;
constexpr int kBadMedia = 15;
constexpr int kInvalidCmd = 16;
} // namespace access

namespace user {
constexpr int kMessage = 2;
} // namespace user

namespace internal {
constexpr int kBadPath = 2;
constexpr int kNotHere = 3;
constexpr int kNoMemory = 4;
constexpr int kWrongMem = 5;
constexpr int kStackOverflow = 6;
constexpr int kLimitHit = 7;
constexpr int kTooDeep = 8;
constexpr int kNoCycle = 9;
constexpr int kFeatureNa = 10;
constexpr int kNotDone = 11;
constexpr int kInvalidError = 12;
constexpr int kRoutines = 13;
constexpr int kXelSystem = 14;
constexpr int kDeprecated = 15;
} // namespace internal

} // namespace xel::err
