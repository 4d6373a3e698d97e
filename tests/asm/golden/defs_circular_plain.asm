; Circular equ values: each symbol replaced once leaves a name where its
; value belongs, which would read as a number (bh is 0BBh) or a label.
; Every equ line of a cycle, and each one leading into it, names the way
; round; nothing is encoded.
x       equ y                   ; error: Zirkuläre Definition: x -> y -> x
y       equ x                   ; error: Zirkuläre Definition: y -> x -> y
ah      equ bh                  ; error: Zirkuläre Definition: ah -> bh -> ah
bh      equ AH                  ; error: Zirkuläre Definition: bh -> ah -> bh
grow    equ grow+1              ; error: Zirkuläre Definition: grow -> grow
uses    equ ah                  ; error: Zirkuläre Definition: uses -> ah -> bh -> ah
        mov a,#ah
        org x
start:  jmp x
; A value naming its own symbol inside a longer word is substituted, not
; circular: "cnt" becomes "cnt1" and "jmp cnt" reaches the label cnt1. A
; value that is its own name changes no text.
cnt     equ cnt1
same    equ SAME
