#pragma once
// Fares of the network (yen) by distance band along the network: the 2014
// fares of version 2's answers and the 2023 fares of version 4's.

// The four amounts of one fare.
struct SimFare {
    int ticket;
    int childTicket;
    int icCard;
    int childIcCard;
};

// The 2014 fare for a journey of km kilometres: bands 1-6, 7-11, 12-19, 20-27
// and 28 km or more, counting every started kilometre (a journey within one
// station's place pays the first band).
SimFare fareForDistance(double km);

// The 2023 fare by the same bands.
SimFare fare2023ForDistance(double km);
