; TASM convention, recognised by its #DEFINE: #INCLUDE of a file whose name
; differs in case and ends with .END,
; .EQU, $hex, %binary, @octal, "*" as the location counter,
; expressions left to right, values cut to their low byte.
#DEFINE DEBUG
#INCLUDE "TASM_PORTS.INC"
LEDS    .EQU  %00000011
BASE    .EQU  $20
        .ORG  0
START   MOV   A,#LEDS           ; @0000 = 23 03
        MOV   R0,#BASE+2*2      ; @0002 = B8 44
        OUTL  P1,A              ; = 39
#IFDEF DEBUG
        MOV   R7,#@17           ; @0005 = BF 0F
#ELSE
        NOP
#ENDIF
#IFNDEF DEBUG
        NOP
#ENDIF
LOOP    DJNZ  R7,LOOP           ; @0007 = EF 07
        JMP   *                 ; @0009 = 04 09
        MOV   A,#PORTVAL        ; @000B = 23 5A
        .ORG  $100
TABLE   .DB   1,$0A,%101        ; @0100 = 01 0A 05
        .BYTE 'A'               ; = 41
        .TEXT "Hi"              ; = 48 69
        .DW   TABLE             ; = 00 01
        .WORD $1234             ; = 34 12
        .DB   TABLE             ; = 00
#IFNDEF NOTREAD
        CLR   A                 ; @010B = 27
#ENDIF
#DEFINE LED_OFF ORL P1,#$01
#DEFINE DELAY(n) MOV R6,#n
#DEFINE OUTPORT P2
        LED_OFF                 ; @010C = 89 01
        DELAY(50)               ; = BE 32
        OUTL  OUTPORT,A         ; = 3A
        .END
