; Macro assembler convention: circular definitions are errors naming the
; cycle, never a silent 0, whatever form defines them and wherever the
; value is used (org, jmp, data). A definition leading into a cycle names
; its way there.
        cpu     8048
x       equ     y+1             ; error: Zirkuläre Definition: x -> y -> x
y       equ     x               ; error: Zirkuläre Definition: y -> x -> y
self    equ     self            ; error: Zirkuläre Definition: self -> self
grows   equ     grows+1         ; error: Zirkuläre Definition: grows -> grows
        .equ    first, second   ; error: Zirkuläre Definition: first -> second -> first
        .equ    second, first   ; error: Zirkuläre Definition: second -> first -> second
asg     set     asg             ; error: Zirkuläre Definition: asg -> asg
led     equ     x*2             ; error: Zirkuläre Definition: led -> x -> y -> x
        org     x
        jmp     y
        db      self, grows
; Names defined further on that are no cycle settle as usual.
later   equ     fine+1
fine    equ     3
        mov     a,#later
