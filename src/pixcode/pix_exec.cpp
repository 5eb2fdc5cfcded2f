// pix_exec.cpp — jump-table pass, the reference interpreter and run-time errors.
// This is the plain path: one switch over the cells, every check made on every step.
// The pre-decoded interpreter (pix_fast) must agree with it bit for bit.
#include "pixcode/pix_exec.h"
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include "engine/color.h"
#include "platform/ui.h"

namespace {
// A press in the dialogs just before the run is stale for this long (fuzz builds,
// which hold Escape down from the start, wait less).
#ifndef PIX_ESCAPE_GATE_NS
#define PIX_ESCAPE_GATE_NS 5000000
#endif
const int64_t ESCAPE_GATE_NS = PIX_ESCAPE_GATE_NS;

int64_t NowNs() {
    return (int64_t)std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch()).count();
}

int IsJump(int command) {
    return command == PIX_GOTO || command == PIX_GOTOIF || command == PIX_LABEL;
}

int InLabelRange(int32_t n) { return n >= 0 && n < PIX_LABELS; }

int32_t Source(const int32_t* vars, PixCell c) { return pix_IsVariable(c) ? vars[c.value] : c.value; }
}  // namespace

void pix_InitMachine(PixMachine* m, Surface* target) {
    std::memset(m, 0, sizeof *m);
    m->target = target;
    m->escapeCountdown = PIX_ESCAPE_EVERY;
}

void pix_MacroBox(const char* text) { ui_MessageBox(text, "Macro Error", UI_OK | UI_TASKMODAL); }

void pix_ErrorText(int error, int command, char* out, size_t cap) {
    const char* format = "Invalid Instruction In Macro";
    switch (error) {
    case PIX_ERR_DESTINATION: format = "Invalid Destination In Macro\nInstruction: %s"; break;
    case PIX_ERR_LABEL: format = "Invalid Label/Numeral In Macro\nInstruction: %s"; break;
    case PIX_ERR_JUMPLIST: format = "Jump-List Not Initialized"; break;
    case PIX_ERR_UNKNOWN: format = "Unknown Instruction Macro"; break;
    case PIX_ERR_DIVZERO: format = "Division By Zero In Macro\nInstruction: %s"; break;
    case PIX_ERR_OVERFLOW: format = "Division Overflow In Macro\nInstruction: %s"; break;
    default: break;
    }
    std::snprintf(out, cap, format, pix_CommandWord(command));
}

void pix_ReportError(int error, int command) {
    char text[128];
    pix_ErrorText(error, command, text, sizeof text);
    pix_MacroBox(text);
}

int pix_BuildJumpTable(const PixCell* cells, int count, PixMachine* m) {
    char text[128];
    for (int pos = 0; pos < count;) {
        PixCell c = cells[pos];
        if (c.kind != PIX_KIND_COMMAND) {
            pix_MacroBox("Invalid Instruction In Macro");
            return 0;
        }
        const char* roles = pix_OperandRoles(c.value);
        if (!roles) {
            pix_MacroBox("Unknown Instruction Macro");
            return 0;
        }
        int operands = (int)std::strlen(roles);
        if (c.value == PIX_LABEL) {
            PixCell n = pix_CellAt(cells, count, pos + 1);
            // The label instruction is named "begin" in this message.
            if (n.kind != PIX_KIND_NUMERAL || !InLabelRange(n.value)) {
                std::snprintf(text, sizeof text, "Invalid Label/Numeral In Macro\nInstruction: %s", "begin");
                pix_MacroBox(text);
                return 0;
            }
            if (!m->ready) m->jump[n.value] = pos;
        } else if (c.value == PIX_GOTO || c.value == PIX_GOTOIF) {
            // A label operand of another kind is a run-time error; a numeral beyond
            // the table cannot be a jump target at all.
            PixCell n = pix_CellAt(cells, count, pos + operands);
            if (n.kind == PIX_KIND_NUMERAL && !InLabelRange(n.value)) {
                pix_ErrorText(PIX_ERR_LABEL, c.value, text, sizeof text);
                pix_MacroBox(text);
                return 0;
            }
        }
        pos += 1 + operands;
    }
    m->ready = 1;
    return 1;
}

int pix_CheckInstruction(const PixCell* cells, int count, int pos, const PixMachine* m,
                         int* command) {
    PixCell c = pix_CellAt(cells, count, pos);
    *command = c.value;
    if (c.kind != PIX_KIND_COMMAND) return PIX_ERR_INSTRUCTION;
    const char* roles = pix_OperandRoles(c.value);
    if (!roles) return PIX_ERR_UNKNOWN;
    for (int i = 0; roles[i]; i++)
        if (roles[i] == 'D' && !pix_IsVariable(pix_CellAt(cells, count, pos + 1 + i)))
            return PIX_ERR_DESTINATION;
    for (int i = 0; roles[i]; i++)
        if (roles[i] == 'N' && pix_CellAt(cells, count, pos + 1 + i).kind != PIX_KIND_NUMERAL)
            return PIX_ERR_LABEL;
    if (IsJump(c.value) && !m->ready) return PIX_ERR_JUMPLIST;
    // Cells the jump-table pass never saw may still name a label beyond the table.
    for (int i = 0; roles[i]; i++)
        if (roles[i] == 'N' && !InLabelRange(pix_CellAt(cells, count, pos + 1 + i).value))
            return PIX_ERR_LABEL;
    return PIX_OK;
}

int pix_Execute(const PixCell* cells, int count, PixMachine* m) {
    int32_t* v = m->vars;
    uint32_t jumps = 0;
    m->stop = PIX_STOP_NONE;
    for (int pos = 0;;) {
        int cmd;
        int err = pix_CheckInstruction(cells, count, pos, m, &cmd);
        if (err != PIX_OK) {
            pix_ReportError(err, cmd);
            m->stop = PIX_STOP_ERROR;
            return 0;
        }
        PixCell o1 = pix_CellAt(cells, count, pos + 1);
        PixCell o2 = pix_CellAt(cells, count, pos + 2);
        PixCell o3 = pix_CellAt(cells, count, pos + 3);
        int next = pos + 1 + (int)std::strlen(pix_OperandRoles(cmd));
        int jumped = 0;
        int32_t a, b;
        uint32_t r = 0;
        switch (cmd) {
        case PIX_EXIT: return 1;
        case PIX_ADD: r = (uint32_t)Source(v, o2) + (uint32_t)Source(v, o3); break;
        case PIX_SUBTRACT: r = (uint32_t)Source(v, o2) - (uint32_t)Source(v, o3); break;
        case PIX_MULTIPLY: r = (uint32_t)Source(v, o2) * (uint32_t)Source(v, o3); break;
        case PIX_DIVIDE:
        case PIX_MODULUS:
            a = Source(v, o2);
            b = Source(v, o3);
            if (b == 0 || (a == INT32_MIN && b == -1)) {
                pix_ReportError(b == 0 ? PIX_ERR_DIVZERO : PIX_ERR_OVERFLOW, cmd);
                m->stop = PIX_STOP_ERROR;
                return 0;
            }
            r = (uint32_t)(cmd == PIX_DIVIDE ? a / b : a % b);
            break;
        case PIX_SHIFT_LEFT: r = (uint32_t)Source(v, o2) << (Source(v, o3) & 31); break;
        case PIX_SHIFT_RIGHT: r = (uint32_t)(Source(v, o2) >> (Source(v, o3) & 31)); break;
        case PIX_AND: r = (uint32_t)(Source(v, o2) & Source(v, o3)); break;
        case PIX_OR: r = (uint32_t)(Source(v, o2) | Source(v, o3)); break;
        case PIX_XOR: r = (uint32_t)(Source(v, o2) ^ Source(v, o3)); break;
        case PIX_NOT: r = Source(v, o2) == 0; break;
        case PIX_MIX: {
            int32_t w = v[o1.value];
            w = w < 0 ? 0 : w;
            r = clr_Lerp((uint32_t)w, 1000, (uint32_t)Source(v, o2), (uint32_t)Source(v, o3));
            break;
        }
        case PIX_COMPARE_EQUAL: r = Source(v, o2) == Source(v, o3); break;
        case PIX_COMPARE_LESS: r = Source(v, o2) < Source(v, o3); break;
        case PIX_COMPARE_MORE: r = Source(v, o2) > Source(v, o3); break;
        case PIX_COPY: r = (uint32_t)Source(v, o2); break;
        case PIX_SWAP: {
            int32_t t = v[o1.value];
            v[o1.value] = v[o2.value];
            v[o2.value] = t;
            break;
        }
        case PIX_LOAD_PIXEL: {
            a = Source(v, o1);
            b = Source(v, o2);
            Surface* s = m->target;
            uint32_t p = 0;
            if (s && s->pixels && s->width && s->height) {
                uint32_t x = a < 0 ? 0 : ((uint32_t)a >= s->width ? s->width - 1 : (uint32_t)a);
                uint32_t y = b < 0 ? 0 : ((uint32_t)b >= s->height ? s->height - 1 : (uint32_t)b);
                p = s->pixels[(size_t)y * s->stride + x];
            }
            pix_LoadChannels(v, p);
            break;
        }
        case PIX_GOTO:
            next = m->jump[o1.value];
            jumped = 1;
            break;
        case PIX_GOTOIF:
            if (Source(v, o1) != 0) {
                next = m->jump[o2.value];
                jumped = 1;
            }
            break;
        default: break;   // label: a jump target, nothing to do
        }
        // Commands that write a result name their destination first.
        const char* roles = pix_OperandRoles(cmd);
        if (roles[0] == 'D' && roles[1] != 'D') v[o1.value] = (int32_t)r;
        if (jumped && m->jumpBudget && ++jumps > m->jumpBudget) {
            m->stop = PIX_STOP_BUDGET;
            return 0;
        }
        if (--m->escapeCountdown <= 0) {
            m->escapeCountdown = PIX_ESCAPE_EVERY;
            if (pix_PollEscape(m)) {
                m->stop = PIX_STOP_ESCAPE;
                return 0;
            }
        }
        pos = next;
    }
}

void pix_ArmEscape(PixMachine* m) {
    ui_EscapePressed();
    m->escapeArmedNs = NowNs();
    m->escapeGateOpen = 0;
    m->escapeCountdown = PIX_ESCAPE_EVERY;
}

int pix_PollEscape(PixMachine* m) {
    if (!m->escapeGateOpen) {
        if (NowNs() - m->escapeArmedNs < ESCAPE_GATE_NS) return 0;
        m->escapeGateOpen = 1;
    }
    return ui_EscapePressed() != 0;
}
