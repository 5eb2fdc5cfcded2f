// pix_fast.cpp — decoding and the threaded-dispatch row interpreter.
#include "pixcode/pix_fast.h"
#include <climits>
#include <cstring>
#include "engine/color.h"

namespace {
// A source operand: its variable, or a new register holding the cell's value.
uint16_t SourceRegister(PixCell c, PixFast* f) {
    if (pix_IsVariable(c)) return (uint16_t)c.value;
    f->regs[f->regCount] = c.value;
    return (uint16_t)f->regCount++;
}

inline int JumpAllowed(PixFastCtl* ctl, uint32_t* jumps) {
    if (ctl->jumpBudget && ++*jumps > ctl->jumpBudget) {
        ctl->reason = PIX_STOP_BUDGET;
        return 0;
    }
    return !pix_FastStopped(ctl, 1);
}
}  // namespace

int pix_Decode(const PixCell* cells, int count, const PixMachine* m, PixFast* f) {
    int posToOp[PIX_CELLS];
    for (int i = 0; i < PIX_CELLS; i++) posToOp[i] = -1;
    if (count > PIX_CELLS) return 0;
    f->opCount = 0;
    f->regCount = PIX_VARIABLES;
    f->readsPixels = 0;
    f->canFail = 0;
    std::memset(f->regs, 0, sizeof f->regs);
    // The same walk as the jump-table pass: a command and its operands, in order.
    int pos = 0;
    while (pos < count) {
        PixOp& o = f->ops[f->opCount];
        std::memset(&o, 0, sizeof o);
        posToOp[pos] = f->opCount++;
        int cmd;
        int err = pix_CheckInstruction(cells, count, pos, m, &cmd);
        const char* roles = err == PIX_OK ? pix_OperandRoles(cmd) : nullptr;
        if (!roles) {
            o.op = PIX_FAIL;
            o.aux = (uint16_t)err;
            o.cmd = (uint8_t)(cmd >= 0 && cmd < PIX_COMMANDS ? cmd : PIX_COMMANDS);
            f->canFail = 1;
            // The walk goes on past a known command's operands, else one cell.
            const char* known = pix_OperandRoles(cmd);
            pos += 1 + ((known && pix_CellAt(cells, count, pos).kind == PIX_KIND_COMMAND)
                            ? (int)std::strlen(known) : 0);
            continue;
        }
        o.op = (uint8_t)cmd;
        o.cmd = (uint8_t)cmd;
        PixCell c1 = pix_CellAt(cells, count, pos + 1);
        PixCell c2 = pix_CellAt(cells, count, pos + 2);
        PixCell c3 = pix_CellAt(cells, count, pos + 3);
        if (roles[0] == 'D') o.d = (uint8_t)c1.value;
        if (std::strcmp(roles, "DSS") == 0) {
            o.a = SourceRegister(c2, f);
            o.b = SourceRegister(c3, f);
        } else if (std::strcmp(roles, "DS") == 0) {
            o.a = SourceRegister(c2, f);
            o.b = o.a;   // the lanes see two sources, never a stray variable
        } else if (std::strcmp(roles, "DD") == 0) {
            o.d2 = (uint8_t)c2.value;
        } else if (std::strcmp(roles, "SS") == 0) {
            o.a = SourceRegister(c1, f);
            o.b = SourceRegister(c2, f);
        } else if (std::strcmp(roles, "SN") == 0) {
            o.a = SourceRegister(c1, f);
            o.aux = (uint16_t)m->jump[c2.value];   // a cell index for now
        } else if (roles[0] == 'N') {
            o.aux = (uint16_t)m->jump[c1.value];
        }
        if (cmd == PIX_LOAD_PIXEL) f->readsPixels = 1;
        if (cmd == PIX_DIVIDE || cmd == PIX_MODULUS) {
            int32_t k = f->regs[o.b];
            if (o.b < PIX_VARIABLES || k == 0 || k == -1) f->canFail = 1;
        }
        pos += 1 + (int)std::strlen(roles);
    }
    // Falling off the end meets the implicit exit.
    std::memset(&f->ops[f->opCount], 0, sizeof(PixOp));
    f->opCount++;
    // Jump targets: cell index to instruction; a label itself does nothing.
    for (int i = 0; i < f->opCount; i++) {
        PixOp& o = f->ops[i];
        if (o.op != PIX_GOTO && o.op != PIX_GOTOIF) continue;
        int t = o.aux < PIX_CELLS ? posToOp[o.aux] : -1;
        if (t < 0) return 0;
        if (f->ops[t].op == PIX_LABEL) t++;
        o.aux = (uint16_t)t;
    }
    return 1;
}

int pix_FastRow(const PixFast* f, int32_t* r, Surface* s, int y, int x0, int x1,
                PixFastCtl* ctl) {
    static const void* const dispatch[PIX_FAIL + 1] = {
        &&op_exit, &&op_add, &&op_subtract, &&op_multiply, &&op_divide, &&op_modulus,
        &&op_shl, &&op_shr, &&op_swap, &&op_load, &&op_and, &&op_or, &&op_xor, &&op_not,
        &&op_mix, &&op_eq, &&op_less, &&op_more, &&op_goto, &&op_gotoif, &&op_copy,
        &&op_label, &&op_fail};
    uint32_t* row = s->pixels + (size_t)y * s->stride;
    const uint32_t* base = s->pixels;
    const int w = (int)s->width, h = (int)s->height, stride = (int)s->stride;
    const PixOp* ops = f->ops;
    const PixOp* ip;
    uint32_t jumps = 0;
    int x = x0;

#define NEXT() do { ip++; goto *dispatch[ip->op]; } while (0)
#define JUMP(t) do { if (!JumpAllowed(ctl, &jumps)) goto stopped; ip = ops + (t); goto *dispatch[ip->op]; } while (0)

next_pixel:
    if (x >= x1) return 1;
    if (pix_FastStopped(ctl, 1)) goto stopped;
    pix_StartPixel(r, row[x], x, y);
    jumps = 0;
    ip = ops;
    goto *dispatch[ip->op];

op_add: r[ip->d] = (int32_t)((uint32_t)r[ip->a] + (uint32_t)r[ip->b]); NEXT();
op_subtract: r[ip->d] = (int32_t)((uint32_t)r[ip->a] - (uint32_t)r[ip->b]); NEXT();
op_multiply: r[ip->d] = (int32_t)((uint32_t)r[ip->a] * (uint32_t)r[ip->b]); NEXT();
op_divide:
op_modulus: {
    int32_t a = r[ip->a], b = r[ip->b];
    if (b == 0 || (a == INT32_MIN && b == -1)) {
        ctl->error = b == 0 ? PIX_ERR_DIVZERO : PIX_ERR_OVERFLOW;
        ctl->command = ip->cmd;
        ctl->reason = PIX_STOP_ERROR;
        goto stopped;
    }
    r[ip->d] = ip->op == PIX_DIVIDE ? a / b : a % b;
    NEXT();
}
op_shl: r[ip->d] = (int32_t)((uint32_t)r[ip->a] << (r[ip->b] & 31)); NEXT();
op_shr: r[ip->d] = r[ip->a] >> (r[ip->b] & 31); NEXT();
op_swap: { int32_t t = r[ip->d]; r[ip->d] = r[ip->d2]; r[ip->d2] = t; NEXT(); }
op_load: {
    int32_t a = r[ip->a], b = r[ip->b];
    int px = a < 0 ? 0 : (a >= w ? w - 1 : a);
    int py = b < 0 ? 0 : (b >= h ? h - 1 : b);
    pix_LoadChannels(r, base[(size_t)py * stride + px]);
    NEXT();
}
op_and: r[ip->d] = r[ip->a] & r[ip->b]; NEXT();
op_or: r[ip->d] = r[ip->a] | r[ip->b]; NEXT();
op_xor: r[ip->d] = r[ip->a] ^ r[ip->b]; NEXT();
op_not: r[ip->d] = r[ip->a] == 0; NEXT();
op_mix: {
    int32_t wgt = r[ip->d];
    r[ip->d] = (int32_t)clr_Lerp((uint32_t)(wgt < 0 ? 0 : wgt), 1000, (uint32_t)r[ip->a],
                                 (uint32_t)r[ip->b]);
    NEXT();
}
op_eq: r[ip->d] = r[ip->a] == r[ip->b]; NEXT();
op_less: r[ip->d] = r[ip->a] < r[ip->b]; NEXT();
op_more: r[ip->d] = r[ip->a] > r[ip->b]; NEXT();
op_goto: JUMP(ip->aux);
op_gotoif: if (r[ip->a] != 0) JUMP(ip->aux); NEXT();
op_copy: r[ip->d] = r[ip->a]; NEXT();
op_label: NEXT();
op_fail:
    ctl->error = ip->aux;
    ctl->command = ip->cmd;
    ctl->reason = PIX_STOP_ERROR;
    goto stopped;
op_exit:
    row[x] = pix_PackChannels(r);
    x++;
    goto next_pixel;

stopped:
    ctl->failX = x;
    return 0;
#undef NEXT
#undef JUMP
}
