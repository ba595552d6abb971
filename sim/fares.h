#pragma once
// Fares of the network (2014, yen) by distance band along the network.

// The four amounts of one fare.
struct SimFare {
    int ticket;
    int childTicket;
    int icCard;
    int childIcCard;
};

// The fare for a journey of km kilometres: bands 1-6, 7-11, 12-19, 20-27 and
// 28 km or more, counting every started kilometre (a journey within one
// station's place pays the first band).
SimFare fareForDistance(double km);
