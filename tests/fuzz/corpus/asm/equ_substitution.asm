; equ symbols are replaced in every operand, without regard to case.
CNT equ 5
LED EQU 20h
   mov r0,#CNT     ; = B8 05
   mov a,#LED      ; = 23 20
   mov a,#cnt      ; = 23 05
; A value may name a symbol defined later.
TWO equ ONE
ONE equ 1
   mov a,#TWO      ; = 23 01
