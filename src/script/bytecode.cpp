#include "script/bytecode.h"

namespace bw {

int32_t VM_OperandBytes(VMDataType type)
{
    switch (type) {
    case kTypeDouble:
    case kTypeInt64: return 8;
    case kTypeFloat:
    case kTypeInt:
    case kTypeBool:
    case kTypeVariable:
    case kTypeString: return 4;
    default: return 0;
    }
}

int32_t VM_PackageStackBytes(VMDataType type)
{
    switch (type) {
    case kTypeDouble:
    case kTypeInt64: return 8;
    case kTypeFloat:
    case kTypeInt:
    case kTypeBool:
    case kTypeString: return 4;
    case kTypeVariable: return 16;
    default: return 0;
    }
}

const char* VM_TypeSuffix(VMDataType type)
{
    switch (type) {
    case kTypeDouble: return ".d";
    case kTypeFloat: return ".f";
    case kTypeInt: return ".i";
    case kTypeInt64: return ".l";
    case kTypeBool: return ".b";
    case kTypeVariable: return ".v";
    case kTypeString: return ".s";
    case kTypeNone: return ".e";
    default: return "";
    }
}

const char* VM_OpcodeMnemonic(uint8_t opcode)
{
    switch (opcode) {
    case kOpConv: return "conv";
    case kOpMul: return "mul";
    case kOpDiv: return "div";
    case kOpRem: return "rem";
    case kOpMod: return "mod";
    case kOpAdd: return "add";
    case kOpSub: return "sub";
    case kOpAnd: return "and";
    case kOpOr: return "or";
    case kOpXor: return "xor";
    case kOpNeg: return "neg";
    case kOpNot: return "not";
    case kOpShl: return "shl";
    case kOpShr: return "shr";
    case kOpSlt: return "slt";
    case kOpSle: return "sle";
    case kOpSeq: return "seq";
    case kOpSne: return "sne";
    case kOpSge: return "sge";
    case kOpSgt: return "sgt";
    case kOpPop: return "pop";
    case kOpDup: return "dup";
    case kOpRet: return "ret";
    case kOpExit: return "exit";
    case kOpPopz: return "popz";
    case kOpB: return "b";
    case kOpBt: return "bt";
    case kOpBf: return "bf";
    case kOpPushEnv: return "pushenv";
    case kOpPopEnv: return "popenv";
    case kOpPush: return "push";
    case kOpCall: return "call";
    case kOpBreak: return "break";
    default: return "unknown";
    }
}

bool VM_IsKnownOpcode(uint8_t opcode)
{
    return opcode >= kOpConv && VM_OpcodeMnemonic(opcode)[0] != 'u';
}

}  // namespace bw
