; relaxed on: from that line on every number form of the macro assembler,
; 017 octal as in C and x'1F' among them; relaxed off: the convention's
; own forms again, where 017 is decimal.
        cpu     8048
        mov     a,#017          ; = 23 11
        relaxed on
        mov     a,#017          ; = 23 0F
        mov     a,#0x1F         ; = 23 1F
        mov     a,#x'1F'        ; = 23 1F
        mov     a,#H'20'        ; = 23 20
        mov     a,#o'17'        ; = 23 0F
        mov     a,#b'0101'      ; = 23 05
        mov     a,#0FFh         ; = 23 FF
        mov     a,#$1F          ; = 23 1F
        mov     a,#%0101        ; = 23 05
        mov     a,#@17          ; = 23 0F
        mov     a,#0b0101       ; = 23 05
        mov     a,#0            ; = 23 00
        db      010, 0101b, 017q, 00, 12 ; = 08 05 0F 00 0C
        db      017, late       ; = 0F 02
        mov     a,#09           ; error: ungültige Zahl: 09
        mov     a,#x'1G'        ; error: ungültige Zahl: x'1G'
        RELAXED OFF
        mov     a,#017          ; = 23 11
        mov     a,#09           ; = 23 09
late    equ     2
        relaxed maybe           ; error: erlaubt sind nur ON oder OFF: maybe
        relaxed                 ; error: erlaubt sind nur ON oder OFF
