; asm48's directives in the ASxxxx convention: .equ with or without the
; comma, .set and .define for names whose value may change, .dbr (bytes with
; their bit order reversed), .org with a fill byte for the gap, .here for
; the address of the statement, "#" before a value in a data list, 0b and
; 0B binary numbers, and .exit, after which nothing is read.
.equ    LED, 0b00000100
.equ    MASK 0B11110000
        .area   CODE (ABS)
        .org    0x10
start:  mov     a,#LED          ; @0010 = 23 04
        anl     a,#MASK         ; = 53 F0
.set    STEP, 2
        add     a,#STEP         ; = 03 02
.set    STEP 3
        add     a,#STEP         ; = 03 03
.define LIMIT, 0x7F
        mov     r7,#LIMIT       ; = BF 7F
        .dbr    0b00000001, 0x0F, #0xC0 ; @001A = 80 F0 03
        .org    0x20, 0xAA      ; @001D = AA AA AA
        jmp     .here           ; @0020 = 04 20
        .byte   #0b10110111, #1, 0B11 ; = B7 01 03
        .db     .here - start   ; @0025 = 15
        .exit
        ret                     ; not read: .exit ends the source
        .db     1
; ! length: 38
