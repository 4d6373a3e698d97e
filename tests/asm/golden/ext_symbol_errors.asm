; Extended dialect: undefined and twice-defined names are errors that name
; them; set may redefine, equ and labels may not.
        cpu 8048
        mov a,#missing          ; error: Symbol nicht definiert: missing
        jmp nowhere             ; error: Symbol nicht definiert: nowhere
twice:  nop
twice:  nop                     ; error: Symbol doppelt definiert: twice
CONST   equ 1
CONST   equ 2                   ; error: Symbol doppelt definiert: CONST
var     set 1
var     set 2
        equ 5                   ; error: Name fehlt vor equ
