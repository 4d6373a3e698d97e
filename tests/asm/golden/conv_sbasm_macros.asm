; SB-Assembler macros whose names spell mnemonics (SWAP, SUB): called as
; >NAME, they stand for the macro; without ">" the word is the instruction.
; The directives that only steer the listing or the output files are taken
; and place nothing.
        .CR     8048
        .TF     nibble.bin,BIN
        .LF     nibble.lst
        .SF     nibble.sym
        .TI     1,Nibbles
        .LI     OFF
        .LM     8
        .TW     80
        .PG
        .EJ
        .LI     ON
SWAP    .MA
        XCH     A,]1
        SWAP    A
        .EM
SUB     .MA                     subtract ]1 from A
        CPL     A
        ADD     A,]1
        CPL     A
        .EM
        .OR     $020
START   >SWAP   R2              ; @0020 = 2A 47
        >SUB    R3              ; @0022 = 37 6B 37
        SWAP    A               ; @0025 = 47
        .OT
TABLE   .DB     1,2,4,8         ; @0026 = 01 02 04 08
        .CT
        .EF     nibble.err
        JMP     START           ; @002A = 04 20
; Only the first two letters after the dot name a directive: .MACRO is .MA,
; .LIST is .LI, .BSS is .BS.
ZERO    .MACRO
        CLR     A
        .EMEND
        >ZERO                   ; @002C = 27
        .LIST   ON
        .BSS    2,$11           ; @002D = 11 11
