; Extended dialect: symbols are names (equ, set, =), labels with a colon or
; in column 1 without one, case-insensitive, forward references resolved.
        cpu 8048
COUNT   equ 10
Mask    equ 0F0h
        mov a,#count            ; = 23 0A
        anl a,#MASK             ; = 53 F0
        mov r0,#LATER           ; = B8 30
step    set 1
        mov a,#step             ; = 23 01
step    set step+1
        mov a,#STEP             ; = 23 02
step    = step*4
        mov a,#step             ; = 23 08
LED     equ 1
        mov a,#LED              ; = 23 01
LEDS    equ 2
        mov a,#LEDS             ; = 23 02
start   nop                     ; @0010 = 00
Loop:   jmp LOOP                ; @0011 = 04 11
        jmp Start               ; = 04 10
        jmp forward             ; = 04 20
        org 20h
forward: ret                    ; @0020 = 83
LATER   equ forward+10h
A1      equ 5
        mov a,r0                ; = F8
        page
        title "Symbole"
        newpage
        listing on
        end
        this line is never read
