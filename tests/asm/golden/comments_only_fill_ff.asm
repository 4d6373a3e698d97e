; Only comments: no code, yet an image of one fill byte.
; ! fill: FF
; ! image: FF
